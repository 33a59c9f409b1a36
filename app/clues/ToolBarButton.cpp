#include "app/clues/ToolBarButton.h"

QToolButton* AddToolBarButton(QToolBar* bar, const QIcon& icon, const QString& text, const QString& hint) {
  auto* button = new QToolButton(bar);
  button->setIcon(icon);
  if (icon.isNull()) button->setText(text);
  button->setToolTip(hint);
  button->setFocusPolicy(Qt::NoFocus);
  bar->addWidget(button);
  return button;
}
