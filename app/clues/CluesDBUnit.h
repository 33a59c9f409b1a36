#pragma once
// The clue database window beside Autoclue: the clues that the shared clue table holds for the
// current answer, and its notes apart from them. A click on a clue makes it the word's clue;
// Autoclue's Add stores the word's clue in the table. The logic is TClueVault's; this window
// shows it.
//
// The table is named by the value "VaultDataFile" under the settings key of the companion
// programs ("Software\Quillmere32\Tools"). A table that cannot be opened (no path, no table, no
// index) is said once, and the window does not stay open. A table error while it is open is said
// in the window's words (which file, what to do, the library's text below) and closes the table,
// never the program; the next look-up, arrow or Add opens it again.
//
// While an add waits for a lock, look-ups, arrows and another Add are not taken; once it ends
// the window shows the answer that Autoclue shows, when a look-up was asked for meanwhile.

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
  bool TableOpen() const { return state_ == TableState::Open; }
  // Whether Autoclue's Add can store a clue now: the window shows a whole answer, its table is
  // open (or is opened again after an error), and no add is under way.
  bool CanAdd() const;
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
  // Closed: not opened, or it could not be. Failed: closed by a table error while the window
  // is open.
  enum class TableState { Closed, Open, Failed };

  void CentreNoFindLbl();
  void ShowEntry(const TClueEntry& entry);
  // Opens the table of the settings; says why when it cannot.
  void OpenTable();
  // The table is open; after a table error it is opened again here and the shown answer looked
  // up. A table that cannot be opened again is said and the window closes.
  bool TableReady();
  // Runs table work; a table error is said and closes the table. False after an error.
  bool RunTableOperation(const std::function<void()>& operation);
  void CloseTable();
  // The answer that Autoclue shows.
  static std::string AutoclueAnswer();

  TDbfClueTable clueTable_{CluesDBF};
  TClueTable* table_ = nullptr;
  std::unique_ptr<TClueVault> vault_;
  TableState state_ = TableState::Closed;
  std::string path_;   // the table of the settings, UTF-8
  std::string word_;   // the answer shown
  bool adding_ = false;          // an add is waiting for a lock or writing
  bool lookupAfterAdd_ = false;  // a look-up or arrow was asked for meanwhile
};

extern TCluesDBForm* CluesDBForm;
