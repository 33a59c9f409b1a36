#include "app/main/ApplicationForms.h"

#include "app/clues/CharMapUnit.h"
#include "app/clues/CluesDBUnit.h"
#include "app/clues/DefListUnit.h"
#include "app/clues/XwdAutoUnit.h"
#include "app/grid/XwdClueUnit.h"
#include "app/grid/XwdGridUnit.h"
#include "app/main/XwdMainUnit.h"
#include "app/output/ExportUnit.h"
#include "app/output/XwdPrintUnit.h"
#include "app/puzzle/SFXUnit.h"
#include "app/puzzle/XwdProcsUnit.h"
#include "app/tools/AnalysisUnit.h"
#include "app/tools/BylineUnit.h"
#include "app/tools/LaunchUnit.h"
#include "app/tools/ScanGridUnit.h"
#include "app/tools/ScoreUnit.h"
#include "app/tools/XwdAboutUnit.h"
#include "app/tools/XwdClockUnit.h"
#include "app/tools/XwdMsgUnit.h"
#include "app/tools/XwdPrefUnit.h"

namespace {

template <class T>
void CreateForm(T*& global) {
  global = new T();
  global->Create();
}

template <class T>
void CreateModule(T*& global) {
  global = new T();
}

template <class T>
void Destroy(T*& global) {
  delete global;
  global = nullptr;
}

}  // namespace

void CreateApplicationForms() {
  CreateForm(XwdMainForm);
  CreateModule(XwdProcs);
  CreateForm(BylineForm);
  CreateForm(CharMapForm);
  CreateForm(CluesDBForm);
  CreateForm(DefListForm);
  CreateModule(ExportForm);
  CreateModule(LaunchModule);
  CreateForm(ScanGridForm);
  CreateForm(ScoreForm);
  CreateModule(SoundFX);
  CreateForm(XwdAboutForm);
  CreateForm(AutoclueForm);
  CreateForm(XwdClockForm);
  CreateForm(CluesForm);
  CreateForm(XwdGridForm);
  CreateForm(InfoWin);
  CreateForm(XwdPrefForm);
  CreateForm(XwdPrintForm);
  CreateForm(AnalysisForm);
}

void DestroyApplicationForms() {
  Destroy(AnalysisForm);
  Destroy(XwdPrintForm);
  Destroy(XwdPrefForm);
  Destroy(InfoWin);
  Destroy(XwdGridForm);
  Destroy(CluesForm);
  Destroy(XwdClockForm);
  Destroy(AutoclueForm);
  Destroy(XwdAboutForm);
  Destroy(SoundFX);
  Destroy(ScoreForm);
  Destroy(ScanGridForm);
  Destroy(LaunchModule);
  Destroy(ExportForm);
  Destroy(DefListForm);
  Destroy(CluesDBForm);
  Destroy(CharMapForm);
  Destroy(BylineForm);
  Destroy(XwdProcs);
  Destroy(XwdMainForm);
}
