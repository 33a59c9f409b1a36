// A test program linked with xbase64: it writes tables with NDX indexes made by xbase64, for the
// engine's tests to open, and measures xbase64's appends into an open index and its seeks, for
// the index benchmark.
//
//   xbase64_ndx build TABLE INDEX KIND COUNT   KIND N (numeric N(10,0)), C12 or C24: a table of
//       COUNT records with the field KEY, indexed on KEY; keys repeat now and then
//   xbase64_ndx bench FOLDER RECORDS SEEKS     the benchmark table (100-byte records) with an
//       index on TAG C(20): RECORDS appends into the open index, then SEEKS exact seeks;
//       prints "appends/s N", "seeks/s N" and "misses N"
//   xbase64_ndx reindex TABLE INDEX            a new index on TAG built from the table's
//       records (ReIndex); prints "seconds N" and its peak resident memory, "peak_kb N"

#include <xbase64/xbase64.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/BenchKeys.h"

namespace {

int Fail(const char* what, xbShort code) {
  std::fprintf(stderr, "xbase64_ndx: %s failed: %d\n", what, code);
  return 1;
}

// The key of record i of a built table.
std::string BuildKey(const std::string& kind, long i) {
  const long value = (i * 7919) % 4999 - 2000;  // repeats after 4999 records
  if (kind == "N") return std::to_string(value);
  char text[32];
  std::snprintf(text, sizeof text, kind == "C12" ? "K%06ld" : "KEY %08ld TEXT", value + 2000);
  return text;
}

// xbase64 3.1.2 writes 0 for the length and decimals of every field of a new table's header,
// though its records are laid out right: the header gets them from the schema.
void MendFieldSizes(const std::string& table, const xbSchema* fields) {
  std::fstream file(table, std::ios::in | std::ios::out | std::ios::binary);
  for (int i = 0; fields[i].FieldName[0] != '\0'; ++i) {
    file.seekp(32 * (i + 1) + 16);
    file.put(static_cast<char>(fields[i].FieldLen));
    file.put(static_cast<char>(fields[i].NoOfDecs));
  }
}

int Build(const std::string& table, const std::string& index, const std::string& kind, long count) {
  const bool numeric = kind == "N";
  xbSchema fields[] = {
      {"KEY", static_cast<char>(numeric ? XB_NUMERIC_FLD : XB_CHAR_FLD),
       static_cast<unsigned char>(numeric ? 10 : kind == "C12" ? 12 : 24), 0},
      {"REC", XB_NUMERIC_FLD, 8, 0},
      {"", 0, 0, 0}};
  xbXBase x;
  xbDbf dbf(&x);
  xbNdx ndx(&dbf);
  if (xbShort rc = dbf.CreateDatabase(table.c_str(), fields, XB_OVERLAY)) return Fail("CreateDatabase", rc);
  if (xbShort rc = ndx.CreateIndex(index.c_str(), "KEY", XB_NOT_UNIQUE, XB_OVERLAY)) return Fail("CreateIndex", rc);
  for (long i = 1; i <= count; ++i) {
    dbf.BlankRecord();
    dbf.PutField("KEY", BuildKey(kind, i).c_str());
    dbf.PutField("REC", std::to_string(i).c_str());
    if (xbShort rc = dbf.AppendRecord()) return Fail("AppendRecord", rc);
  }
  ndx.CloseIndex();
  dbf.CloseDatabase();
  MendFieldSizes(table, fields);
  return 0;
}

double PerSecond(long count, std::chrono::steady_clock::time_point start) {
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  return count / elapsed.count();
}

int Bench(const std::string& folder, long records, long seeks) {
  xbSchema fields[] = {{"TAG", XB_CHAR_FLD, 20, 0},    {"NAME", XB_CHAR_FLD, 40, 0},
                       {"AMOUNT", XB_NUMERIC_FLD, 10, 2}, {"COUNT", XB_NUMERIC_FLD, 8, 0},
                       {"DAY", XB_DATE_FLD, 8, 0},       {"FLAG", XB_LOGICAL_FLD, 1, 0},
                       {"NOTE", XB_CHAR_FLD, 12, 0},     {"", 0, 0, 0}};
  xbXBase x;
  xbDbf dbf(&x);
  xbNdx ndx(&dbf);
  const std::string table = folder + "/bench64.dbf", index = folder + "/bench64.ndx";
  if (xbShort rc = dbf.CreateDatabase(table.c_str(), fields, XB_OVERLAY)) return Fail("CreateDatabase", rc);
  if (xbShort rc = ndx.CreateIndex(index.c_str(), "TAG", XB_NOT_UNIQUE, XB_OVERLAY)) return Fail("CreateIndex", rc);
  char key[bench::kTagLength + 1];
  auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < records; ++i) {
    bench::PutBenchKey(i, key);
    dbf.BlankRecord();
    dbf.PutField("TAG", key);
    dbf.PutField("NAME", "A NAME OF FORTY CHARACTERS AT MOST");
    dbf.PutField("AMOUNT", "1234.50");
    dbf.PutField("COUNT", "42");
    dbf.PutField("DAY", "20240315");
    dbf.PutField("FLAG", "T");
    if (xbShort rc = dbf.AppendRecord()) return Fail("AppendRecord", rc);
  }
  std::printf("appends/s %.0f\n", PerSecond(records, start));
  const auto order = bench::SeekOrder(records, seeks);
  long misses = 0;
  start = std::chrono::steady_clock::now();
  for (const auto i : order) {
    if (ndx.FindKey(bench::BenchKey(i).c_str()) != XB_FOUND) ++misses;
  }
  std::printf("seeks/s %.0f\nmisses %ld\n", PerSecond(seeks, start), misses);
  ndx.CloseIndex();
  dbf.CloseDatabase();
  return 0;
}

long PeakKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

int Reindex(const std::string& table, const std::string& index) {
  xbXBase x;
  xbDbf dbf(&x);
  xbNdx ndx(&dbf);
  if (xbShort rc = dbf.OpenDatabase(table.c_str())) return Fail("OpenDatabase", rc);
  if (xbShort rc = ndx.CreateIndex(index.c_str(), "TAG", XB_NOT_UNIQUE, XB_OVERLAY)) return Fail("CreateIndex", rc);
  const auto start = std::chrono::steady_clock::now();
  if (xbShort rc = ndx.ReIndex()) return Fail("ReIndex", rc);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("seconds %.3f\npeak_kb %ld\n", elapsed.count(), PeakKb());
  ndx.CloseIndex();
  dbf.CloseDatabase();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "build" && argc == 6) return Build(argv[2], argv[3], argv[4], std::atol(argv[5]));
  if (command == "bench" && argc == 5) return Bench(argv[2], std::atol(argv[3]), std::atol(argv[4]));
  if (command == "reindex" && argc == 4) return Reindex(argv[2], argv[3]);
  std::fprintf(stderr,
               "usage: xbase64_ndx build TABLE INDEX N|C12|C24 COUNT\n"
               "       xbase64_ndx bench FOLDER RECORDS SEEKS\n"
               "       xbase64_ndx reindex TABLE INDEX\n");
  return 2;
}
