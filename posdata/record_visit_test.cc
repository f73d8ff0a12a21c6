#include "posdata/record_visit.h"

#include <gtest/gtest.h>

#include <random>

#include "core/memory_env.h"

namespace sarvilax {
namespace {

TEST(VisitRecordsTest, VisitsEachNumberOnceWithTheRecordsBytes) {
  // 20 000 product records of 356 bytes, each holding its own number.
  constexpr int kRecords = 20000;
  std::string file(static_cast<size_t>(kRecords) * 356, '\0');
  for (int n = 1; n <= kRecords; ++n) {
    const std::string text = std::to_string(n);
    file.replace(static_cast<size_t>(n - 1) * 356 + 7, text.size(), text);
  }
  MemoryEnv env;
  env.File("VARNU.002") = file;
  RecordFile products(env.OpenShared("VARNU.002"), 356, "VARNU.002");

  // Dense stretches read whole, sparse ones a page at a time, records
  // wanted twice, and numbers past the end of the file (read as zeros).
  std::mt19937 random(3);
  std::vector<int32_t> numbers;
  numbers.reserve(6040);
  for (int i = 0; i < 6000; ++i) numbers.push_back(std::uniform_int_distribution(1, 9000)(random));
  for (int i = 0; i < 40; ++i) {
    numbers.push_back(std::uniform_int_distribution(9001, kRecords + 500)(random));
  }
  numbers.push_back(numbers.front());
  numbers.push_back(1);
  numbers.push_back(kRecords);

  std::vector<int> visits(numbers.size());
  VisitRecords(products, numbers, [&](size_t i, const char* record) {
    ++visits[i];
    char expected[356];
    products.Read(numbers[i], expected);
    EXPECT_EQ(std::string(record, 356), std::string(expected, 356)) << "number " << numbers[i];
  });
  for (size_t i = 0; i < visits.size(); ++i) EXPECT_EQ(visits[i], 1) << "entry " << i;
  VisitRecords(products, {}, [](size_t, const char*) { ADD_FAILURE() << "nothing to visit"; });
}

}  // namespace
}  // namespace sarvilax
