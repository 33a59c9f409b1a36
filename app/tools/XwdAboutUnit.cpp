#include "app/tools/XwdAboutUnit.h"

TXwdAboutForm* XwdAboutForm = nullptr;

TXwdAboutForm::TXwdAboutForm() { SetCaption("About Quillmere Demo"); }
