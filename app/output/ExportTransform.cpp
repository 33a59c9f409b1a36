#include <memory>

#include "app/output/ExportUnit.h"
#include "app/output/GridTransform.h"
#include "app/puzzle/XwdProcsUnit.h"

void TExportForm::TransformGrid(int Mode) {
  // The scratch record starts all zero, so nothing of an earlier grid can come back.
  const auto scratch = std::make_unique<TXwdPuzzle>();
  MapGrid(Puzzle, static_cast<TTransformMode>(Mode), *scratch);
  ReattachClues(Puzzle, *scratch);
  CopyBack(*scratch, Puzzle);
}
