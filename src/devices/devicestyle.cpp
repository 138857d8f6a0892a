#include "devices/devicestyle.h"

#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace DevicesStyle {

QString nameStyle(const QString &colour)
{
    return QStringLiteral("color: %1; background: transparent; border: none; font-family: Inter;"
                          " font-size: 15px; font-weight: 600;")
        .arg(colour);
}

QString captionStyle()
{
    return QStringLiteral("color: %1; background: transparent; border: none; font-family: Inter;"
                          " font-size: 12px;")
        .arg(Grey);
}

QString valueStyle()
{
    return QStringLiteral("color: %1; background: transparent; border: none;"
                          " font-family: 'IBM Plex Mono'; font-size: 15px; font-weight: 500;")
        .arg(Text);
}

QString iconButtonStyle()
{
    return QStringLiteral("QPushButton { background: transparent; border: none; }"
                          " QPushButton:hover { background-color: rgba(255, 255, 255, 20); border-radius: 6px; }");
}

QString cardStyle(const QString &objectName)
{
    return QStringLiteral("QFrame#%1 { background-color: %2; border: none; border-radius: 12px; }")
        .arg(objectName, CardBackground);
}

QString actionButtonStyle()
{
    return QStringLiteral(
               "QPushButton { color: %1; background-color: %2; border: 2px solid rgba(60, 207, 145, 1);"
               " border-radius: 12px; padding: 6px 16px; font-family: Inter; font-size: 14px; font-weight: 600; }"
               " QPushButton:hover { background-color: rgba(60, 207, 145, 60); }"
               " QPushButton:checked { border-color: %3; }")
        .arg(Text, CardBackground, Yellow);
}

QString dialogStyle(const QString &frameName)
{
    return QStringLiteral(
               "QFrame#%1 { background-color: %2; border: 2px solid rgba(60, 207, 145, 1); border-radius: 14px; }"
               " QLabel { color: %3; background: transparent; border: none; font-family: Inter; font-size: 13px; }"
               " QLabel[role=\"title\"] { font-size: 18px; font-weight: 600; }"
               " QLabel[role=\"caption\"] { color: %4; font-size: 12px; font-weight: 600; }"
               " QLineEdit, QComboBox { color: %3; background-color: %5; border: 1px solid rgba(90, 96, 99, 1);"
               " border-radius: 8px; padding: 6px 8px; font-family: Inter; font-size: 14px; }"
               " QLineEdit:read-only { color: %6; }"
               " QComboBox QAbstractItemView { color: %3; background-color: %5; selection-background-color: rgba(60, 207, 145, 90); }"
               " QFrame[role=\"value\"] { background-color: %5; border: none; border-radius: 10px; }"
               " QPushButton { color: %3; background-color: %2; border: 2px solid rgba(60, 207, 145, 1);"
               " border-radius: 12px; padding: 6px 16px; font-family: Inter; font-size: 14px; font-weight: 600; }"
               " QPushButton:hover { background-color: rgba(60, 207, 145, 60); }")
        .arg(frameName, CardBackground, Text, Grey, PageBackground, Green);
}

QFrame *settingsFrame(QDialog *dialog, const QString &title)
{
    dialog->setWindowTitle(title);
    dialog->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    dialog->setAttribute(Qt::WA_TranslucentBackground);
    auto *frame = new QFrame(dialog);
    frame->setObjectName(QStringLiteral("dialogFrame"));
    frame->setStyleSheet(dialogStyle(frame->objectName()));
    auto *outer = new QVBoxLayout(dialog);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    return frame;
}

QWidget *pageHeader(QWidget *parent, QLabel *title, QPushButton *help)
{
    auto *bar = new QWidget(parent);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setStyleSheet(QStringLiteral("color: %1; font-family: Inter; font-size: 24px; font-weight: 600;").arg(Text));
    help->setObjectName(QStringLiteral("helpButton"));
    help->setIcon(QIcon(QStringLiteral(":/pict/info.png")));
    help->setIconSize(QSize(22, 22));
    help->setCursor(Qt::PointingHandCursor);
    help->setStyleSheet(actionButtonStyle());
    row->addWidget(title);
    row->addStretch(1);
    row->addWidget(help);
    return bar;
}

} // namespace DevicesStyle
