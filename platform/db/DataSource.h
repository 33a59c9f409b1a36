#pragma once
// The link between a dataset and data-aware controls. Nothing in this system binds a control,
// so it only names its dataset.

namespace platform::db {

class TDataSet;

class TDataSource {
 public:
  TDataSet* DataSet = nullptr;
};

}  // namespace platform::db
