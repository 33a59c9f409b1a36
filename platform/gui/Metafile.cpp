#include "platform/gui/Metafile.h"

#include <utility>

#include "platform/gui/EmfWriter.h"
#include "platform/gui/ReferenceFont.h"
#include "platform/gui/WmfWriter.h"

namespace platform::gui {

QByteArray TMetafile::Bytes() const { return Enhanced ? EmfBytes(*this) : WmfBytes(*this); }

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile, const QString& createdBy, const QString& description)
    : metafile_(metafile), createdBy_(createdBy), description_(description) {}

TMetafileCanvas::~TMetafileCanvas() {
  metafile_.CreatedBy = createdBy_;
  metafile_.Description = description_;
  metafile_.Drawing = std::move(Calls);
}

int TMetafileCanvas::TextWidth(const QString& text) const { return ReferenceFont(Font).TextWidth(text); }

int TMetafileCanvas::TextHeight(const QString&) const { return ReferenceFont(Font).CellHeight(); }

}  // namespace platform::gui
