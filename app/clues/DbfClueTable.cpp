#include "app/clues/DbfClueTable.h"

#include <algorithm>

#include "xbase/core/ovutils.h"

TDbfClueTable::TDbfClueTable(xbase::TOvDbf& table) : table_(table) {
  table_.SetTableLanguage(xbase::tlAnsi);
  table_.SetCreateIfNotFound(false);
  table_.SetReadOnly(false);
  table_.SetExclusive(false);
}

std::string TDbfClueTable::IndexFileOf(const std::string& table) {
  std::string folder, name, extension;
  xbase::FSplit(table, folder, name, extension);
  // A new index is spelled like its table: clues.dbf gets clues.ndx.
  const bool lower = extension.size() > 1 && std::all_of(extension.begin() + 1, extension.end(), [](char c) {
    return c >= 'a' && c <= 'z';
  });
  return xbase::ResolvedFileName(xbase::ForceExtension(table, lower ? "ndx" : "NDX"));
}

std::string TDbfClueTable::Open(const std::string& path) {
  table_.Close();
  const std::string name = xbase::AllTrim(path);
  if (name.empty()) return "No clue database is named: the Tools settings have no VaultDataFile.";
  const std::string dbf = xbase::DefaultExtension(name, "DBF");
  if (!xbase::FileFound(dbf)) return "The clue database \"" + dbf + "\" was not found.";
  const std::string ndx = IndexFileOf(dbf);
  if (!xbase::FileFound(ndx))
    return "The clue database \"" + dbf + "\" has no index: \"" + ndx + "\" was not found.";
  table_.SetDbfFileName(dbf);
  table_.Open();
  table_.SetIndexToLFN(ndx, 1);
  table_.SetHideDeletedRecs(true);
  return {};
}

void TDbfClueTable::Close() { table_.Close(); }

char TDbfClueTable::FieldType(const std::string& name) {
  using namespace platform::db;
  switch (table_.FieldByName(name).DataType()) {
    case ftString: return 'C';
    case ftBoolean: return 'L';
    case ftMemo: return 'M';
    case ftDate: return 'D';
    default: return 'N';
  }
}

int TDbfClueTable::FieldLength(const std::string& name) { return table_.FieldByName(name).Size(); }
