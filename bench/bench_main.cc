// sarvilax-bench: the helpers of bench/run.
//
//   sarvilax-bench check <data-folder> <run time>
//     Computes the weekly and the monthly figures and Top-20 work file of a
//     run at <run time> twice: with the report run's own passes and with a
//     plain record-by-record reading. Prints both; exits 1 when they differ.
//
//   sarvilax-bench sqlite <data-folder> <database> <run time> <runs>
//     The peer: loads the journal into an SQLite table with an index on the
//     date (once; an existing database is used as it is), then computes the
//     four weekly period sums with SQL <runs> times. Prints "ms <time>" for
//     each run (the queries only), then the sums, and whether they equal the
//     report run's.
//
// <run time> is "yyyy-mm-dd hh:mm:ss". <data-folder> ends with a slash.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "app/report_run.h"
#include "core/env.h"
#include "core/error.h"
#include "core/number_format.h"
#include "figures/top_list.h"
#include "posdata/data_files.h"
#include "posdata/lookups.h"
#include "reports/report_plan.h"
#include "tests/record_by_record.h"
#include "ui/silent_window.h"

#ifdef SARVILAX_BENCH_SQLITE
#include <sqlite3.h>
#endif

namespace sarvilax {
namespace {

class NoTransfer : public HttpTransfer {
 public:
  std::string Post(const std::string&, const std::string&) override { return ""; }
};

OleDate ParseRunTime(const std::string& text) {
  int y, mo, d, h, mi, s;
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6) {
    Fail("a run time is written yyyy-mm-dd hh:mm:ss, not \"" + text + "\"");
  }
  return MakeOleDate(CivilDate{y, mo, d}, h * 3600 + mi * 60 + s);
}

std::string FiguresText(const ReportFigures& f) {
  std::string text;
  for (int c = 0; c < kColumns; ++c) {
    const PeriodFigures& p = f.periods[c];
    text += "  period " + std::to_string(c + 1) + ": customers " + std::to_string(p.customers) +
            ", sale rows " + std::to_string(p.salesRows) + ", net sales " +
            CurrencyText(p.netSales) + ", cost " + CurrencyText(p.cost) + ", costed net sales " +
            CurrencyText(p.costedNetSales) + ", margin " + CurrencyText(p.margin) + "\n";
  }
  const StockFigures& s = f.stock;
  text += "  stock: " + std::to_string(s.stockedProducts) + " products " +
          CurrencyText(s.stockValue) + ", a year ago " + std::to_string(s.stockedProductsYearAgo) +
          " products " + CurrencyText(s.stockValueYearAgo) + "\n";
  return text;
}

// The report run's own figures and Sarvilax.Txt, computed in a scratch
// working folder (the work files go to the working folder).
struct RunResult {
  ReportFigures figures;
  std::string top_list;
};

RunResult ComputeAsTheReportRun(const std::string& data_folder, const ReportPlan& plan) {
  char scratch[] = "/tmp/sarvilax-bench-XXXXXX";
  if (mkdtemp(scratch) == nullptr) Fail("cannot make a scratch folder");
  char here[4096];
  if (getcwd(here, sizeof here) == nullptr || chdir(scratch) != 0) Fail("cannot change folder");
  Env& env = DefaultEnv();
  SilentWindow window;
  NoTransfer transfer;
  RunContext context{env, window, transfer, RelayConfig(), Configuration{"Bench", {}}, data_folder};
  RunResult result;
  result.figures = ComputeReportFigures(context, plan);
  result.top_list = env.ReadWholeFile(kTopListFileName);
  for (const char* name : {"Sarvilax.Dat", "Sarvilax.Txt"}) env.DeleteFile(name);
  if (chdir(here) != 0) Fail("cannot change folder");
  rmdir(scratch);
  return result;
}

bool SameFigures(const ReportFigures& a, const ReportFigures& b) {
  return a.periods == b.periods && a.stock == b.stock;
}

int Check(const std::string& data_folder, OleDate run_time) {
  Env& env = DefaultEnv();
  bool same = true;
  const ReportPlan plans[] = {WeeklyReportPlan(env, run_time, "Bench"),
                              MonthlyReportPlan(env, MonthlyReportDates(run_time), "Bench")};
  for (const ReportPlan& plan : plans) {
    const char* name = plan.kind == kWeeklyReportKind ? "weekly" : "monthly";
    const RunResult run = ComputeAsTheReportRun(data_folder, plan);
    const testing::RecordByRecordResult plain =
        testing::ComputeRecordByRecord(env, data_folder, plan);
    const bool figures_same = SameFigures(run.figures, plain.figures);
    const bool list_same = run.top_list == plain.top_list;
    std::printf("%s: figures %s, Top-20 work file %s (%zu bytes)\n%s", name,
                figures_same ? "identical" : "DIFFER", list_same ? "identical" : "DIFFERS",
                run.top_list.size(), FiguresText(run.figures).c_str());
    if (!figures_same) std::printf(" record by record:\n%s", FiguresText(plain.figures).c_str());
    same = same && figures_same && list_same;
  }
  return same ? 0 : 1;
}

// --- the SQLite peer ---------------------------------------------------------
#ifdef SARVILAX_BENCH_SQLITE

class Database {
 public:
  explicit Database(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) Fail("cannot open " + path);
  }
  ~Database() { sqlite3_close(db_); }
  void Execute(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string message = error ? error : "?";
      sqlite3_free(error);
      Fail("SQLite: " + message);
    }
  }
  sqlite3_stmt* Prepare(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
      Fail(std::string("SQLite: ") + sqlite3_errmsg(db_));
    }
    return statement;
  }

 private:
  sqlite3* db_ = nullptr;
};

// One row per journal record: its number, row type (the byte), date and the
// amounts the sums need, as the Currency counts the file holds.
void LoadJournal(DataFiles& files, Database& db) {
  db.Execute(
      "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
      "CREATE TABLE journal(id INTEGER PRIMARY KEY, type INTEGER, date REAL, price INTEGER,"
      " quantity INTEGER, cost INTEGER, vat INTEGER);"
      "BEGIN;");
  sqlite3_stmt* insert = db.Prepare("INSERT INTO journal VALUES(?,?,?,?,?,?,?)");
  const int64_t count = files.journal().CountRecords();
  RecordScanner scanner(files.journal(), 1, count);
  int64_t id = 1;
  for (const char* row = scanner.Next(); row != nullptr; row = scanner.Next(), ++id) {
    const JournalRecord r = DecodeJournalRecord(row);
    sqlite3_bind_int64(insert, 1, id);
    sqlite3_bind_int(insert, 2, static_cast<unsigned char>(r.rowType));
    sqlite3_bind_double(insert, 3, r.date);
    sqlite3_bind_int64(insert, 4, r.unitPrice.raw());
    sqlite3_bind_int64(insert, 5, r.quantity.raw());
    sqlite3_bind_int64(insert, 6, r.unitCost.raw());
    sqlite3_bind_int(insert, 7, r.vatPercent);
    if (sqlite3_step(insert) != SQLITE_DONE) Fail("SQLite: an insert failed");
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  db.Execute("COMMIT; CREATE INDEX journal_date ON journal(date);");
}

// The sums of the rows dated from ?1 up to, not including, ?2 (a null ?2:
// to the end), as the period passes define them: "a"/"m" count as "A"/"M",
// a customer is an "A" row whose last "A" or "M" row before it within the
// period is an "M", the net sale is price × quantity (four decimals, halves
// to even) divided by 1 + VAT / 100 in double precision and rounded to
// four decimals, halves to even.
constexpr char kPeriodSql[] = R"sql(
WITH bounds AS (
  SELECT (SELECT min(id) FROM journal WHERE date >= ?1) AS first,
         (SELECT min(id) FROM journal WHERE date >= ?2) AS after
), rows AS (
  SELECT id, CASE WHEN type IN (65, 97) THEN 'A' ELSE 'M' END AS t, price, quantity, cost, vat
  FROM journal, bounds
  WHERE id >= bounds.first AND (bounds.after IS NULL OR id < bounds.after)
    AND type IN (65, 97, 77, 109)
), products AS (
  SELECT id, t, vat, price * quantity AS gross4, cost * quantity AS cost4 FROM rows
), halves AS (
  SELECT id, t, vat,
    gross4 / 10000 + CASE WHEN abs(gross4 % 10000) * 2 > 10000
      OR (abs(gross4 % 10000) * 2 = 10000 AND (gross4 / 10000) % 2 != 0)
      THEN (CASE WHEN gross4 < 0 THEN -1 ELSE 1 END) ELSE 0 END AS gross,
    cost4 / 10000 + CASE WHEN abs(cost4 % 10000) * 2 > 10000
      OR (abs(cost4 % 10000) * 2 = 10000 AND (cost4 / 10000) % 2 != 0)
      THEN (CASE WHEN cost4 < 0 THEN -1 ELSE 1 END) ELSE 0 END AS cost
  FROM products
), scaled AS (
  SELECT id, t, cost, gross / 10000.0 / (vat / 100.0 + 1) * 10000.0 AS x FROM halves
), floored AS (
  SELECT id, t, cost, x,
    CAST(x AS INTEGER) - (CAST(x AS INTEGER) > x) AS f FROM scaled
), priced AS (
  SELECT id, t, cost,
    f + (x - f > 0.5 OR (x - f = 0.5 AND f % 2 != 0)) AS net,
    lag(t) OVER (ORDER BY id) AS before
  FROM floored
)
SELECT
  coalesce(sum(t = 'A' AND before = 'M'), 0),
  coalesce(sum(t = 'M'), 0),
  coalesce(sum(CASE WHEN t = 'M' THEN net END), 0),
  coalesce(sum(CASE WHEN t = 'M' THEN cost END), 0),
  coalesce(sum(CASE WHEN t = 'M' AND cost != 0 THEN net END), 0),
  coalesce(sum(CASE WHEN t = 'M' AND cost != 0 THEN net - cost END), 0)
FROM priced
)sql";

PeriodFigures QueryPeriod(sqlite3_stmt* query, const PeriodPlan& period) {
  sqlite3_reset(query);
  sqlite3_bind_double(query, 1, period.start);
  if (period.end) {
    sqlite3_bind_double(query, 2, *period.end);
  } else {
    sqlite3_bind_null(query, 2);
  }
  if (sqlite3_step(query) != SQLITE_ROW) Fail("SQLite: a period query failed");
  PeriodFigures f;
  f.customers = sqlite3_column_int(query, 0);
  f.salesRows = sqlite3_column_int(query, 1);
  f.netSales = Currency::FromRaw(sqlite3_column_int64(query, 2));
  f.cost = Currency::FromRaw(sqlite3_column_int64(query, 3));
  f.costedNetSales = Currency::FromRaw(sqlite3_column_int64(query, 4));
  f.margin = Currency::FromRaw(sqlite3_column_int64(query, 5));
  return f;
}

int Sqlite(const std::string& data_folder, const std::string& database, OleDate run_time,
           int runs) {
  Env& env = DefaultEnv();
  struct stat st;
  const bool loaded = stat(database.c_str(), &st) == 0;
  if (!loaded) std::remove((database + ".new").c_str());  // left by a load cut short
  Database db(loaded ? database : database + ".new");
  if (!loaded) {
    DataFiles files = DataFiles::Open(env, data_folder);
    LoadJournal(files, db);
  }
  if (!loaded && std::rename((database + ".new").c_str(), database.c_str()) != 0) {
    Fail("cannot name the database " + database);
  }
  const ReportPlan plan = WeeklyReportPlan(env, run_time, "Bench");
  sqlite3_stmt* query = db.Prepare(kPeriodSql);
  ReportFigures sql;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    for (int c = 0; c < kColumns; ++c) sql.periods[c] = QueryPeriod(query, plan.periods[c]);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("ms %.1f\n", took.count());
  }
  sqlite3_finalize(query);
  const RunResult ours = ComputeAsTheReportRun(data_folder, plan);
  const bool same = sql.periods == ours.figures.periods;
  sql.stock = ours.figures.stock;
  std::printf("SQLite's period sums (%s the report run's):\n%s",
              same ? "equal to" : "DIFFERENT FROM", FiguresText(sql).c_str());
  if (!same) std::printf(" the report run's:\n%s", FiguresText(ours.figures).c_str());
  return same ? 0 : 1;
}
#else
int Sqlite(const std::string&, const std::string&, OleDate, int) {
  std::fprintf(stderr, "sarvilax-bench: built without SQLite (libsqlite3-dev)\n");
  return 3;
}
#endif

int Main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 3 && args[0] == "check") return Check(args[1], ParseRunTime(args[2]));
  if (args.size() == 5 && args[0] == "sqlite") {
    return Sqlite(args[1], args[2], ParseRunTime(args[3]), std::atoi(args[4].c_str()));
  }
  std::fprintf(stderr,
               "usage: sarvilax-bench check <data-folder> <run time>\n"
               "       sarvilax-bench sqlite <data-folder> <database> <run time> <runs>\n");
  return 2;
}

}  // namespace
}  // namespace sarvilax

int main(int argc, char** argv) {
  try {
    return sarvilax::Main(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "sarvilax-bench: %s\n", e.what());
    return 1;
  }
}
