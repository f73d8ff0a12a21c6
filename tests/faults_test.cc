// Faults of the machine around a run, provoked for real: the point-of-sale
// program writing, cutting or replacing its files while a run reads them, a
// working folder where work files cannot be made or written, the program
// killed while it stores the monthly setting, and a second run in the same
// folder.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <thread>

#include "app/report_run.h"
#include "core/coding.h"
#include "core/env.h"
#include "core/error.h"
#include "core/settings_store.h"
#include "figures/stock_pass.h"
#include "posdata/records.h"
#include "reports/report_plan.h"
#include "tests/fault_harness.h"
#include "tests/shop_builder.h"
#include "ui/recording_window.h"

namespace sarvilax {
namespace {

using testing::C;
using testing::EndedCleanly;
using testing::EndedWithOneClearLine;
using testing::HttpsTestServer;
using testing::ProcessResult;
using testing::ReadFile;
using testing::ShopBuilder;
using testing::TempDir;
using testing::TestShop;
using testing::WriteFile;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// ---------------------------------------------------------------------------
// The data files changing under a run, seen through the real file access.

// The working directory of the process changed for as long as the object
// lives: the real environment puts a run's work files there.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
  }
  ~WorkingDirectory() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

// A window that lets a test act at a phase change or at a pass's progress,
// as the point-of-sale program might at any moment.
class HookWindow : public RecordingWindow {
 public:
  std::map<std::string, std::function<void()>> on_phase;
  // Called once, at the first progress value of that phase.
  std::map<std::string, std::function<void()>> on_first_progress;

  void SetPhase(const std::string& caption) override {
    RecordingWindow::SetPhase(caption);
    progressed_ = false;
    if (const auto hook = on_phase.find(caption); hook != on_phase.end()) hook->second();
  }
  void SetProgress(float percent) override {
    RecordingWindow::SetProgress(percent);
    if (progressed_) return;
    progressed_ = true;
    if (const auto hook = on_first_progress.find(phase); hook != on_first_progress.end()) {
      hook->second();
    }
  }

 private:
  bool progressed_ = false;
};

class NoTransfer : public HttpTransfer {
 public:
  std::string Post(const std::string&, const std::string&) override { return ""; }
};

const OleDate kRunTime = MakeOleDate(CivilDate{2026, 12, 7}, 6 * 3600 + 15 * 60);
constexpr char kThisWeekCaption[] = "Kuluvan viikon myynti";
constexpr char kYearToDateCaption[] = "Kumulatiivinen myynti";

std::string EncodedRow(char type, OleDate date, const std::string& code, double price,
                       double quantity) {
  JournalRecord row;
  row.rowType = type;
  row.date = date;
  row.productCode = PadText<13>(code);
  row.unitPrice = C(price);
  row.quantity = C(quantity);
  row.unitCost = C(1);
  row.vatPercent = 24;
  std::string bytes(journal_layout::kLength, ' ');
  EncodeJournalRecord(row, bytes.data());
  return bytes;
}

// A small shop written to real files, and the weekly figures computed over
// them with the real environment (its own file access, mappings included)
// while hooks change the files.
class ChangingFilesTest : public ::testing::Test {
 protected:
  ChangingFilesTest() {
    std::filesystem::create_directory(dir_ / "work");
    std::filesystem::create_directory(dir_ / "data");
    shop_.AddProduct("A", "Omena", 10, 2.00);
    shop_.AddProduct("B", "Banaani", 5, 1.00);
    // Products without stock or sales, so that the index and the product
    // file span pages.
    for (int i = 0; i < 600; ++i) shop_.AddProduct("F" + std::to_string(1000 + i), "Tyhja");
    // A year of sales, so that the files span many pages.
    for (int day = 0; day < 360; ++day) {
      const OleDate date = kRunTime - 364 + day;
      shop_.AddRow('M', date, day % 2 == 0 ? "A" : "B", 12.40, 1, 10, 1.00);
      shop_.AddRow('M', date, "B", 12.40, 1, 5, 1.00);
      shop_.AddRow('A', date, "");
    }
    MemoryEnv memory;
    shop_.WriteTo(memory);
    for (const char* name : {kIndexFileName, kProductFileName, kJournalFileName}) {
      WriteFile(Data(name), memory.File(name));
    }
  }

  std::string Data(const std::string& name) const { return dir_ / ("data/" + name); }

  ReportFigures Compute() {
    const WorkingDirectory in_work(dir_ / "work");
    NoTransfer transfer;
    Env& env = DefaultEnv();
    RunContext context{env,           window_, transfer, RelayConfig{}, Configuration{"Kauppa", {}},
                       dir_ / "data/"};
    return ComputeReportFigures(context, WeeklyReportPlan(env, kRunTime, "Kauppa"));
  }

  void Append(const std::string& name, const std::string& bytes) {
    const int fd = open(Data(name).c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
  }

  // Rewrites the stock quantity of product record n in place.
  void RewriteStock(int n, double quantity) {
    char bytes[8];
    EncodeInt64(bytes, C(quantity).raw());
    const int fd = open(Data(kProductFileName).c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const off_t at = (n - 1) * product_layout::kLength + product_layout::kStockQuantity;
    ASSERT_EQ(pwrite(fd, bytes, sizeof bytes, at), 8);
    close(fd);
  }

  void Truncate(const std::string& name, off_t length) {
    ASSERT_EQ(truncate(Data(name).c_str(), length), 0);
  }

  // Runs Compute() in a child process, so that a signal (a SIGBUS from a
  // mapping of a shortened file, say) is seen as such. Returns the wait
  // status: exit 0 with figures, exit 2 for an Error.
  int ComputeInChild() {
    const pid_t pid = fork();
    if (pid == 0) {
      int code = 0;
      try {
        Compute();
      } catch (const Error&) {
        code = 2;
      } catch (...) {
        code = 3;
      }
      _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
  }

  TempDir dir_;
  ShopBuilder shop_;
  HookWindow window_;
};

TEST_F(ChangingFilesTest, RowsAppendedBeforeAPassStartsAreInThatPass) {
  const ReportFigures before = Compute();
  window_.on_phase[kStockPassCaption] = [&] {
    // Before the stock pass reads the products and before the week's pass
    // measures the journal.
    RewriteStock(2, 7);
    Append(kJournalFileName,
           EncodedRow('M', kRunTime - 1, "A", 24.80, 2) + EncodedRow('A', kRunTime - 1, "", 0, 0));
  };
  window_.on_phase[kThisWeekCaption] = [&] {
    // The week's pass has measured the journal; the year's has not.
    Append(kJournalFileName, EncodedRow('M', kRunTime - 0.5, "A", 12.40, 1) +
                                 EncodedRow('A', kRunTime - 0.5, "", 0, 0));
  };
  const ReportFigures after = Compute();

  EXPECT_EQ(after.stock.stockValue, C(10 * 2.00 + 7 * 1.00));
  const PeriodFigures& week = after.periods[kThisPeriod];
  EXPECT_EQ(week.salesRows, before.periods[kThisPeriod].salesRows + 1);
  EXPECT_EQ(week.customers, before.periods[kThisPeriod].customers + 1);
  EXPECT_EQ(week.netSales, before.periods[kThisPeriod].netSales + C(40));
  const PeriodFigures& year = after.periods[kYearToDate];
  EXPECT_EQ(year.salesRows, before.periods[kYearToDate].salesRows + 2);
  EXPECT_EQ(year.netSales, before.periods[kYearToDate].netSales + C(50));
  // The week's pass also adds the sale to its product's Top-20 line: one
  // sold in the week and two appended.
  const std::string top = ReadFile(dir_ / "work/Sarvilax.Txt");
  size_t line_of_a = top.starts_with("A ") ? 0 : top.find("\nA ");
  ASSERT_NE(line_of_a, std::string::npos) << top;
  if (line_of_a != 0) ++line_of_a;
  EXPECT_EQ(top.substr(line_of_a + 39, 10), "         3") << top;
}

TEST_F(ChangingFilesTest, AFileReplacedDuringARunIsReadAsItWas) {
  const ReportFigures before = Compute();
  window_.on_phase[kStockPassCaption] = [&] {
    // The point-of-sale program writes a new file and renames it over the
    // old one: the run's open files still hold the old ones.
    for (const char* name : {kIndexFileName, kProductFileName, kJournalFileName}) {
      WriteFile(Data(name) + ".new", std::string(50000, '\x7F'));
      std::filesystem::rename(Data(name) + ".new", Data(name));
    }
  };
  const ReportFigures after = Compute();
  EXPECT_EQ(after.stock, before.stock);
  for (int c = 0; c < kColumns; ++c) EXPECT_EQ(after.periods[c], before.periods[c]) << c;
}

TEST_F(ChangingFilesTest, AFileCutShortDuringARunNeverCrashesIt) {
  const auto expect_clean_end = [&](const std::string& what) {
    const int status = ComputeInChild();
    EXPECT_TRUE(WIFEXITED(status)) << what << ": signal " << WTERMSIG(status);
    if (WIFEXITED(status)) {
      EXPECT_TRUE(WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 2) << what;
    }
  };
  const std::string journal = ReadFile(Data(kJournalFileName));
  const std::string products = ReadFile(Data(kProductFileName));
  const std::string index = ReadFile(Data(kIndexFileName));
  const auto restore = [&] {
    WriteFile(Data(kJournalFileName), journal);
    WriteFile(Data(kProductFileName), products);
    WriteFile(Data(kIndexFileName), index);
    window_.on_phase.clear();
    window_.on_first_progress.clear();
  };

  // The journal emptied after the week's pass measured it, and cut to a
  // page while the year's pass reads it.
  window_.on_phase[kThisWeekCaption] = [&] { Truncate(kJournalFileName, 0); };
  expect_clean_end("journal emptied as the week's pass starts");
  restore();
  window_.on_first_progress[kYearToDateCaption] = [&] { Truncate(kJournalFileName, 4096); };
  expect_clean_end("journal cut to a page within the year's pass");
  restore();
  window_.on_first_progress[kThisWeekCaption] = [&] { Truncate(kJournalFileName, 1000); };
  expect_clean_end("journal cut within the week's pass");
  restore();
  // The index, searched for every sale of the week, shrinks from pages to
  // a part of one after the first search.
  window_.on_first_progress[kThisWeekCaption] = [&] { Truncate(kIndexFileName, 100); };
  expect_clean_end("index cut within the week's pass");
  restore();
  // The product file and the index shrink within the stock pass.
  window_.on_first_progress[kStockPassCaption] = [&] {
    Truncate(kProductFileName, 100);
    Truncate(kIndexFileName, 10);
  };
  expect_clean_end("products and index cut within the stock pass");
  restore();
}

// The real program while another process appends sales and rewrites
// product records as fast as it can.
TEST(ConcurrentWriterTest, RunsFinishAndReportWhileThePointOfSaleWrites) {
  if (!testing::HaveFaketime()) GTEST_SKIP() << "faketime is missing";
  TestShop shop;
  HttpsTestServer relay;
  const std::string journal_path = shop.DataFile(kJournalFileName);
  const std::string products_path = shop.DataFile(kProductFileName);
  const std::string some_code = ReadFile(products_path).substr(product_layout::kLength, 13);
  std::atomic<bool> stop{false};
  std::atomic<int> written{0};
  std::thread writer([&] {
    const int journal = open(journal_path.c_str(), O_WRONLY | O_APPEND);
    const int products = open(products_path.c_str(), O_RDWR);
    const off_t product_bytes = lseek(products, 0, SEEK_END);
    std::mt19937 random(7);
    const OleDate day = MakeOleDate(CivilDate{2026, 12, 6});
    while (!stop) {
      const std::string row =
          EncodedRow('M', day + 0.5, some_code, 3.10, 1) + EncodedRow('A', day + 0.5, "", 0, 0);
      if (write(journal, row.data(), row.size()) > 0) ++written;
      char stock[8];
      EncodeInt64(stock, C(random() % 100).raw());
      const off_t record = random() % (product_bytes / product_layout::kLength);
      pwrite(products, stock, 8, record * product_layout::kLength + product_layout::kStockQuantity);
    }
    close(journal);
    close(products);
  });
  for (int run = 0; run < 4; ++run) {
    const ProcessResult result = shop.Run(relay);
    EXPECT_EQ(result.exit_status, 0) << result.err;
    EXPECT_EQ(result.signal, 0);
  }
  stop = true;
  writer.join();
  EXPECT_GT(written, 0);
  EXPECT_EQ(relay.requests().size(), 8u);
}

// The real program while the point-of-sale program cuts or replaces a data
// file at some moment of the run.
TEST(ConcurrentWriterTest, AFileCutOrReplacedDuringARealRunEndsItCleanly) {
  if (!testing::HaveFaketime()) GTEST_SKIP() << "faketime is missing";
  TestShop shop({60, 2, 12});
  HttpsTestServer relay;
  const std::string journal_path = shop.DataFile(kJournalFileName);
  const std::string journal = ReadFile(journal_path);
  std::mt19937 random(11);
  for (int run = 0; run < 8; ++run) {
    WriteFile(journal_path, journal);
    const size_t before = relay.requests().size();
    const auto delay = std::chrono::milliseconds(random() % 40);
    std::thread cutter([&, run] {
      std::this_thread::sleep_for(delay);
      if (run % 2 == 0) {
        truncate(journal_path.c_str(), static_cast<off_t>(random() % (journal.size() / 2)));
      } else {
        WriteFile(journal_path + ".new", journal.substr(0, journal.size() / 3));
        std::filesystem::rename(journal_path + ".new", journal_path);
      }
    });
    const ProcessResult result = shop.Run(relay);
    cutter.join();
    EXPECT_TRUE(EndedCleanly(result)) << "run " << run;
    if (result.exit_status == 1) {
      EXPECT_EQ(relay.requests().size(), before);
    }
  }
}

// The real program while the product index, searched for every sale row,
// shrinks to one entry and grows back as fast as the machine allows.
TEST(ConcurrentWriterTest, AnIndexShrinkingAndGrowingUnderTheSearchesNeverCrashesARun) {
  if (!testing::HaveFaketime()) GTEST_SKIP() << "faketime is missing";
  TestShop shop({400, 2, 6});
  HttpsTestServer relay;
  const std::string index_path = shop.DataFile(kIndexFileName);
  const std::string index = ReadFile(index_path);
  ASSERT_GT(index.size(), 4096u);  // a page that vanishes under a mapping
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    const int fd = open(index_path.c_str(), O_RDWR);
    while (!stop) {
      ftruncate(fd, index_layout::kLength);
      pwrite(fd, index.data(), index.size(), 0);
    }
    close(fd);
  });
  for (int run = 0; run < 4; ++run) {
    const size_t before = relay.requests().size();
    const ProcessResult result = shop.Run(relay);
    EXPECT_TRUE(EndedCleanly(result)) << "run " << run;
    if (result.exit_status == 1) {
      EXPECT_EQ(relay.requests().size(), before);
    }
  }
  stop = true;
  writer.join();
}

// ---------------------------------------------------------------------------
// The working folder.

class WorkingFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HaveFaketime()) GTEST_SKIP() << "faketime is missing";
    shop_ = std::make_unique<TestShop>();
    shop_->SetMonthlySetting("");  // a finished run would store the month
    settings_ = ReadFile(shop_->settings_file());
  }

  // The run ended with one line naming name, sent nothing and left the
  // monthly setting as it was.
  void ExpectFailedSafely(const ProcessResult& run, const std::string& name) {
    EXPECT_TRUE(EndedWithOneClearLine(run));
    EXPECT_TRUE(Contains(run.err, name)) << run.err;
    EXPECT_TRUE(relay_.requests().empty());
    EXPECT_EQ(ReadFile(shop_->settings_file()), settings_);
  }

  std::string Work(const std::string& name) const { return shop_->work() + "/" + name; }

  HttpsTestServer relay_;
  std::unique_ptr<TestShop> shop_;
  std::string settings_;
};

// SIGXFSZ ignored by the children started meanwhile, so that a write past
// their file size limit fails with EFBIG, as on a full disk, instead of
// killing them.
class FileSizeSignalIgnored {
 public:
  FileSizeSignalIgnored() : old_handler_(signal(SIGXFSZ, SIG_IGN)) {}
  ~FileSizeSignalIgnored() { signal(SIGXFSZ, old_handler_); }

 private:
  sighandler_t old_handler_;
};

TEST_F(WorkingFolderTest, AWorkFileThatCannotBeWrittenEndsTheRunBeforeAnyRequest) {
  // Sarvilax.Dat holds 62 bytes per index entry, the Top-20 work file
  // Sarvilax.Txt after it 76 per live one.
  const std::string index = ReadFile(shop_->DataFile(kIndexFileName));
  const int64_t entries = testing::RecordCount(index, index_layout::kLength);
  int64_t live = 0;
  for (int64_t n = 1; n <= entries; ++n) {
    live += static_cast<unsigned char>(index[(n - 1) * index_layout::kLength]) > 1;
  }
  const int64_t stock_work_bytes = entries * 62;
  ASSERT_GT(live * 76, stock_work_bytes);
  const FileSizeSignalIgnored ignored;
  for (int64_t limit : {int64_t{0}, int64_t{61}, stock_work_bytes}) {
    // The limit holds for the program alone (prlimit sets it and starts it).
    shop_->wrapper = {"prlimit", "--fsize=" + std::to_string(limit)};
    const ProcessResult run = shop_->Run(relay_);
    ExpectFailedSafely(run, "File too large");
    EXPECT_TRUE(Contains(run.err, limit < stock_work_bytes ? "Sarvilax.Dat" : "Sarvilax.Txt"))
        << run.err;
  }
}

TEST_F(WorkingFolderTest, AFolderInTheWayOfAWorkFileEndsTheRunBeforeAnyRequest) {
  for (const char* name : {"Sarvilax.Dat", "Sarvilax.Txt", "Sarvilax.Tmp", "Sarvilax.lck"}) {
    std::filesystem::remove(Work(name));  // the lock file of the runs before
    std::filesystem::create_directory(Work(name));
    WriteFile(Work(name) + "/keep", "kept");
    ExpectFailedSafely(shop_->Run(relay_), name);
    EXPECT_EQ(ReadFile(Work(name) + "/keep"), "kept");
    std::filesystem::remove_all(Work(name));
  }
}

// ---------------------------------------------------------------------------
// The monthly setting, written by a process killed at any moment.

TEST(SettingsFileTest, KilledWhileStoringTheMonthLeavesTheOldOrTheNewWholeFile) {
  TempDir dir;
  const std::string file = dir / "Kvartolin Oy/settings.ini";
  const std::string head =
      "; Kvartolin Oy\r\n[Asiakas]\r\nDatat=/srv/kassa/data/\r\n\r\n# tilastot\r\n[Tilasto]\r\n"
      "SarvilaxKK=";
  const std::string tail = "\r\nMuu=arvo\r\n; loppu\r\n";
  const std::string october = head + "2026-10-31" + tail;
  const std::string november = head + "2026-11-30" + tail;
  std::filesystem::create_directory(dir / "Kvartolin Oy");
  WriteFile(file, october);

  std::mt19937 random(3);
  for (int round = 0; round < 40; ++round) {
    const pid_t child = fork();
    if (child == 0) {
      // Stores the two months by turns until it is killed.
      std::unique_ptr<SettingsStore> store = NewIniSettingsStore(DefaultEnv(), dir.path());
      for (int i = 0;; ++i) {
        store->Write("Kvartolin Oy", "Tilasto", "SarvilaxKK", i % 2 ? "2026-10-31" : "2026-11-30");
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200 + random() % 3000));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::string now = ReadFile(file);
    ASSERT_TRUE(now == october || now == november) << "round " << round << ":\n" << now;
  }
}

// ---------------------------------------------------------------------------
// Two runs in one working folder.

// Holds the folder lock as another run would.
class HeldLock {
 public:
  explicit HeldLock(const std::string& path)
      : fd_(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    EXPECT_EQ(flock(fd_, LOCK_EX), 0);
  }
  ~HeldLock() { Release(); }
  void Release() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

TEST(TwoInstancesTest, TheSecondWaitsItsMinuteThenEndsSendingNothing) {
  if (!testing::HaveFaketime()) GTEST_SKIP() << "faketime is missing";
  TestShop shop;
  HttpsTestServer relay;
  HeldLock lock(shop.work() + "/Sarvilax.lck");
  // The clock runs sixty times faster: the minute's wait takes a second.
  const auto start = std::chrono::steady_clock::now();
  const ProcessResult run = shop.Run(relay, {}, "@2026-12-07 06:15:00 x60");
  EXPECT_TRUE(EndedWithOneClearLine(run));
  EXPECT_TRUE(Contains(run.err, "Sarvilax.lck")) << run.err;
  EXPECT_TRUE(Contains(run.err, "60 seconds")) << run.err;
  EXPECT_LT(Seconds(start), 30);
  EXPECT_TRUE(relay.requests().empty());
  for (const char* work : {"Sarvilax.Dat", "Sarvilax.Txt", "Sarvilax.Tmp"}) {
    EXPECT_FALSE(testing::Exists(shop.work() + "/" + work)) << work;
  }
}

TEST(TwoInstancesTest, TheSecondGoesOnWhenTheFirstEndsWithinTheWait) {
  if (!testing::HaveFaketime()) GTEST_SKIP() << "faketime is missing";
  TestShop shop;
  HttpsTestServer relay;
  HeldLock lock(shop.work() + "/Sarvilax.lck");
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    lock.Release();
  });
  const auto start = std::chrono::steady_clock::now();
  const ProcessResult run = shop.Run(relay);
  releaser.join();
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_GE(Seconds(start), 1.4);
  EXPECT_EQ(relay.requests().size(), 2u);
}

// Two real processes: the first is held by a relay that does not answer
// until the test lets it go, the second finds the folder taken. Meanwhile
// the first one's work files are there to look at: readable by the user
// alone, whatever the umask.
TEST(TwoInstancesTest, ARunHeldByASilentRelayKeepsTheSecondOut) {
  if (!testing::HaveFaketime()) GTEST_SKIP() << "faketime is missing";
  TestShop shop({30, 2, 3}, {"omistaja@example.com"});
  auto relay = std::make_unique<HttpsTestServer>();
  relay->SetMode(HttpsTestServer::Mode::kNeverAnswer);
  const std::string url = relay->url();
  const std::string ca_file = relay->certificate_file();
  const mode_t old_umask = umask(0);
  ProcessResult first;
  std::thread first_run([&] { first = shop.RunWithRelay(url, ca_file); });
  const auto start = std::chrono::steady_clock::now();
  while (relay->requests().empty() && Seconds(start) < 20) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  umask(old_umask);
  EXPECT_EQ(relay->requests().size(), 1u);
  for (const char* work : {"Sarvilax.Txt", "Sarvilax.Tmp"}) {
    struct stat st {};
    EXPECT_EQ(lstat((shop.work() + "/" + work).c_str(), &st), 0) << work;
    EXPECT_TRUE(S_ISREG(st.st_mode)) << work;
    EXPECT_EQ(st.st_mode & 0777, 0600u) << work;
  }

  const ProcessResult second = shop.Run(*relay, {}, "@2026-12-07 06:15:00 x60");
  EXPECT_TRUE(EndedWithOneClearLine(second));
  EXPECT_TRUE(Contains(second.err, "Sarvilax.lck")) << second.err;
  const size_t requests = relay->requests().size();
  relay.reset();  // the relay goes away, and the first run's transfer with it
  first_run.join();
  EXPECT_EQ(requests, 1u);  // the first run's one request; none from the second
  EXPECT_EQ(first.exit_status, 3) << first.err;
  EXPECT_TRUE(Contains(first.err, "omistaja@example.com")) << first.err;
  EXPECT_FALSE(testing::Exists(shop.work() + "/Sarvilax.Tmp"));
}

}  // namespace
}  // namespace sarvilax
