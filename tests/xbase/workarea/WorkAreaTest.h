#pragma once
// Base fixture of the work-area tests: small tables written byte by byte into a temporary
// folder and opened in work areas, with the fields of the current record read as text.

#include <string>
#include <vector>

#include "tests/xbase/dbf/DbfTest.h"
#include "xbase/core/ovutils.h"
#include "xbase/workarea/TypedFieldText.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {

class WorkAreaTest : public DbfTest {
 public:
  // A field of the current typed record as text, trailing blanks removed.
  static std::string Text(const std::string& field) {
    return RTrimStr(TypedFieldText(FieldNo(field)));
  }

  static void Set(const std::string& field, const std::string& text) {
    SetTypedFieldText(FieldNo(field), text);
  }

 protected:
  // NAME C(8), AGE N(3,0), OK L(1); one record a name, named "A", "B", ... with age 10, 20, ...;
  // the records whose numbers are listed are deleted.
  static DbfImage People(int count, const std::vector<int>& deleted = {}) {
    DbfImage image;
    image.Field("NAME", 'C', 8).Field("AGE", 'N', 3).Field("OK", 'L', 1);
    for (int n = 1; n <= count; ++n) {
      std::string name(1, static_cast<char>('A' + n - 1));
      std::string age = std::to_string(10 * n);
      image.Record(name + std::string(8 - name.size(), ' ') + std::string(3 - age.size(), ' ') + age +
                       (n % 2 ? "T" : "F"),
                   std::find(deleted.begin(), deleted.end(), n) != deleted.end());
    }
    return image;
  }

  // Writes the table and opens it in the current area (options such as " EXCLUSIVE" appended).
  std::string UsePeople(int count, const std::vector<int>& deleted = {},
                        const std::string& options = "", const std::string& name = "people.dbf") {
    const std::string path = Write(name, People(count, deleted).Bytes());
    Use(path + options, nullptr, 0);
    return path;
  }

  // Leaves errors stored instead of raised, so that a test can look at the state after one.
  void QuietErrors() {
    SetRaiseErrors(false);
    SetImmediateErrors(false);
  }
};

}  // namespace xbase
