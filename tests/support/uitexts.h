#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTextDocument>
#include <QTextEdit>
#include <QWidget>

// One text of the interface and the widget that shows it.
struct UiText
{
    QString where;
    QString text;
};

inline QString uiPlainText(const QString &text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    QTextDocument doc;
    doc.setHtml(text);
    return doc.toPlainText();
}

inline QString uiWidgetName(const QObject *o)
{
    return o->objectName().isEmpty() ? QString::fromLatin1(o->metaObject()->className()) : o->objectName();
}

// The texts a user meets on a widget tree, hidden widgets included (a design-time text left in a
// widget shows the moment it appears): window titles, labels, buttons, tool tips, placeholders,
// headers of tables, combo box items, menu and action texts. What the user typed is not included.
inline QList<UiText> uiTexts(QWidget *root)
{
    QList<UiText> texts;
    auto add = [&texts](const QObject *o, const QString &kind, const QString &text) {
        const QString plain = uiPlainText(text).simplified();
        if (!plain.isEmpty())
            texts.append({uiWidgetName(o) + QLatin1Char(' ') + kind, plain});
    };
    auto addActions = [&add](const QWidget *w) {
        for (const QAction *a : w->actions()) {
            add(a, QStringLiteral("action"), a->text());
            add(a, QStringLiteral("action tool tip"), a->toolTip() == QString(a->text()).remove(QLatin1Char('&')) ? QString() : a->toolTip());
        }
    };
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *w : std::as_const(widgets)) {
        if (w->isWindow())
            add(w, QStringLiteral("title"), w->windowTitle());
        add(w, QStringLiteral("tool tip"), w->toolTip());
        addActions(w);
        if (auto *label = qobject_cast<QLabel *>(w))
            add(w, QStringLiteral("text"), label->text());
        else if (auto *b = qobject_cast<QAbstractButton *>(w))
            add(w, QStringLiteral("text"), b->text());
        else if (auto *edit = qobject_cast<QLineEdit *>(w))
            add(w, QStringLiteral("placeholder"), edit->placeholderText());
        else if (auto *box = qobject_cast<QTextEdit *>(w)) {
            add(w, QStringLiteral("placeholder"), box->placeholderText());
            if (box->isReadOnly())
                add(w, QStringLiteral("text"), box->toPlainText());
        } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                add(w, QStringLiteral("item"), combo->itemText(i));
        } else if (auto *view = qobject_cast<QAbstractItemView *>(w); view && view->model() && !qobject_cast<QHeaderView *>(w)) {
            // the first rows are enough: the others are built the same way
            const QAbstractItemModel *model = view->model();
            for (int row = 0; row < model->rowCount() && row < 20; ++row) {
                for (int column = 0; column < model->columnCount(); ++column) {
                    const QModelIndex index = model->index(row, column);
                    add(w, QStringLiteral("cell"), index.data().toString());
                    add(w, QStringLiteral("cell tool tip"), index.data(Qt::ToolTipRole).toString());
                }
            }
        } else if (auto *header = qobject_cast<QHeaderView *>(w); header && header->model()) {
            const int count = header->orientation() == Qt::Horizontal ? header->model()->columnCount() : header->model()->rowCount();
            for (int i = 0; i < count && !header->isHidden(); ++i)
                add(w, QStringLiteral("header"), header->model()->headerData(i, header->orientation()).toString());
        }
    }
    return texts;
}
