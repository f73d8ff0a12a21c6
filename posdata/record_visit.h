// Reading many records of one file by record number, in any order, with
// each part of the file read at most once.
#ifndef SARVILAX_POSDATA_RECORD_VISIT_H_
#define SARVILAX_POSDATA_RECORD_VISIT_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "posdata/data_files.h"

namespace sarvilax {

// Calls visit(i, record) for every i, with the bytes of record numbers[i]
// as they are in the file now (bytes past its end read as zero). The file
// is read from its start a stretch at a time, and the records in a stretch
// are visited when it has been read, so the cost is that of one sequential
// read of the stretches that hold wanted records, not of one read per
// record. REQUIRES: every number is at least 1.
void VisitRecords(RecordFile& file, const std::vector<int32_t>& numbers,
                  const std::function<void(size_t i, const char* record)>& visit);

}  // namespace sarvilax

#endif  // SARVILAX_POSDATA_RECORD_VISIT_H_
