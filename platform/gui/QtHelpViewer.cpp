#include "platform/gui/QtHelpViewer.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/gui/HelpIndex.h"

namespace platform::gui {
namespace {

const QString kHelpFolder = QStringLiteral("qrc:/help/");

HelpIndex LoadHelpIndex() {
  QFile file(QStringLiteral(":/help/index.txt"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return ParseHelpIndex(QString::fromUtf8(file.readAll()));
}

void Fill(QListWidget* list, const std::vector<HelpEntry>& entries) {
  for (const HelpEntry& entry : entries) {
    auto* item = new QListWidgetItem(entry.Text, list);
    item->setData(Qt::UserRole, entry.Page);
  }
}

}  // namespace

class HelpWindow : public QWidget {
 public:
  HelpWindow() {
    setWindowTitle(QStringLiteral("Quillmere Demo Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(780, 540);

    const HelpIndex index = LoadHelpIndex();
    contents_->setObjectName(QStringLiteral("contents"));
    Fill(contents_, index.Contents);
    keywordFilter_->setObjectName(QStringLiteral("keywordFilter"));
    keywordFilter_->setPlaceholderText(QStringLiteral("Type a keyword"));
    keywords_->setObjectName(QStringLiteral("keywords"));
    Fill(keywords_, index.Keywords);
    page_->setObjectName(QStringLiteral("page"));

    auto* indexPage = new QWidget;
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->addWidget(keywordFilter_);
    indexLayout->addWidget(keywords_);
    tabs_->addTab(contents_, QStringLiteral("&Contents"));
    tabs_->addTab(indexPage, QStringLiteral("&Index"));

    auto* splitter = new QSplitter;
    splitter->addWidget(tabs_);
    splitter->addWidget(page_);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(splitter);

    connect(contents_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) { ShowItem(item); });
    connect(keywords_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) { ShowItem(item); });
    connect(keywordFilter_, &QLineEdit::textChanged, this, [this](const QString& text) { FilterKeywords(text); });
  }

  void ShowContents() {
    tabs_->setCurrentIndex(0);
    contents_->setCurrentRow(0);
    contents_->setFocus();
    Present();
  }

  void ShowKeywordIndex(const QString& keyword) {
    tabs_->setCurrentIndex(1);
    keywordFilter_->setText(keyword);
    FilterKeywords(keyword);
    keywordFilter_->setFocus();
    Present();
  }

 private:
  void Present() {
    show();
    raise();
    activateWindow();
  }

  void ShowItem(const QListWidgetItem* item) {
    if (item) page_->setSource(QUrl(kHelpFolder + item->data(Qt::UserRole).toString()));
  }

  // Typing narrows the index to the keywords holding the text and chooses the first of them;
  // with nothing typed, every keyword shows and none is chosen.
  void FilterKeywords(const QString& text) {
    QListWidgetItem* first = nullptr;
    for (int row = 0; row < keywords_->count(); ++row) {
      QListWidgetItem* item = keywords_->item(row);
      const bool matches = item->text().contains(text.trimmed(), Qt::CaseInsensitive);
      item->setHidden(!matches);
      if (matches && !first) first = item;
    }
    if (text.trimmed().isEmpty()) {
      keywords_->setCurrentItem(nullptr);
      keywords_->clearSelection();
    } else if (first) {
      keywords_->setCurrentItem(first);
    }
  }

  QTabWidget* tabs_ = new QTabWidget;
  QListWidget* contents_ = new QListWidget;
  QLineEdit* keywordFilter_ = new QLineEdit;
  QListWidget* keywords_ = new QListWidget;
  QTextBrowser* page_ = new QTextBrowser;
};

QtHelpViewer::~QtHelpViewer() = default;

HelpWindow& QtHelpViewer::Window() {
  if (!window_) window_ = new HelpWindow;
  return *window_;
}

void QtHelpViewer::ShowContents(const QString&) { Window().ShowContents(); }

void QtHelpViewer::ShowKeywordIndex(const QString&, const QString& keyword) { Window().ShowKeywordIndex(keyword); }

void QtHelpViewer::Quit() {
  if (window_) window_->close();
}

}  // namespace platform::gui
