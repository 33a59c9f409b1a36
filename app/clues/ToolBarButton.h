#pragma once
// A button of a clue window's tool bar: its picture, or its text when it has none, and its hint.
// It takes no keyboard focus, which stays in the window's edit or list.

#include <QIcon>
#include <QString>
#include <QToolBar>
#include <QToolButton>

QToolButton* AddToolBarButton(QToolBar* bar, const QIcon& icon, const QString& text, const QString& hint);
