#pragma once
// The clue database window beside Autoclue: the clues that the shared clue table holds for the
// current answer. A click on one makes it the word's clue; Autoclue's Add stores the word's
// clue in the table. The logic is TClueVault's; this window shows it.
//
// The table is named by the value "VaultDataFile" under the settings key of the companion
// programs ("Software\Quillmere32\Tools"). A table that cannot be opened (no path, no table, no
// index) is said once, and the window does not stay open; a table error while it is open shows
// its box and closes the table, never the program.

#include <QLabel>
#include <QListWidget>
#include <QToolBar>
#include <QToolButton>
#include <memory>
#include <string>

#include "app/clues/ClueVault.h"
#include "app/clues/DbfClueTable.h"
#include "platform/db/DataSource.h"
#include "platform/gui/Form.h"
#include "xbase/dataset/uovfds.h"

class TCluesDBForm : public platform::gui::TForm {
 public:
  TCluesDBForm();
  ~TCluesDBForm() override;

  QListWidget* ClueList;
  QLabel* NoFindLbl;
  QToolBar* ToolBar1;
  QToolButton* PrevBtn;
  QToolButton* NextBtn;
  xbase::TOvDbf CluesDBF;
  platform::db::TDataSource DataSource1;

  // The table the window works on: CluesDBF, unless a test gives one of its own (null: CluesDBF
  // again).
  void SetClueTable(TClueTable* table);

  // Whether the clue table is open for look-ups and additions.
  bool TableOpen() const { return tableOpen_; }
  // Shows the entry of an answer (Windows-1252).
  void LookupEntry(const std::string& Word);
  // Autoclue's Add: stores the clue (Windows-1252) for the word shown, unless the list holds it
  // already in any letter case or it is blank.
  void AddClue(const std::string& Clue);

  void NextBtnClick();
  void PrevBtnClick();
  // Makes the selected clue the current word's clue in Autoclue.
  void ClueListMouseUp();

 protected:
  void FormShow() override;
  void FormHide() override;
  void FormResize() override;
  // Keeps NoFindLbl centred over the list's area.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CentreNoFindLbl();
  void ShowEntry(const TClueEntry& entry);
  // Runs table work; a table error closes the table (its box was shown, or is shown here).
  void RunTableOperation(const std::function<void()>& operation);
  void CloseTable();

  TDbfClueTable clueTable_{CluesDBF};
  TClueTable* table_ = nullptr;
  std::unique_ptr<TClueVault> vault_;
  bool tableOpen_ = false;
};

extern TCluesDBForm* CluesDBForm;
