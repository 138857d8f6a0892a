#include "help/helppages.h"

namespace HelpPages {

namespace {

struct Page
{
    QString title;
    QString folder;
    QList<int> items;
};

const QList<Page> &pages()
{
    static const QList<Page> table = {
        {QStringLiteral("НАСТРОЙКА ГРАФИКА РАБОТЫ"), QStringLiteral(":/helpinfo/calendar/"), {Video, Text}},
        {QStringLiteral("НАСТРОЙКА УСТРОЙСТВ"), QStringLiteral(":/helpinfo/deviceinfo/"), {Video, Text, Picture, Text}},
        {QStringLiteral("НАСТРОЙКА СЦЕНАРИЯ"), QStringLiteral(":/helpinfo/scenarioinfo/"), {Video, Text, Video, Text}},
        {QStringLiteral("ИСТОРИЯ СОБЫТИЙ"), QStringLiteral(":/helpinfo/histifo/"), {Text}},
    };
    return table;
}

bool known(int page)
{
    return page >= 0 && page < PageCount;
}

} // namespace

QString title(int page)
{
    return known(page) ? pages().at(page).title : QString();
}

QString folder(int page)
{
    return known(page) ? pages().at(page).folder : QString();
}

QList<int> items(int page)
{
    return known(page) ? pages().at(page).items : QList<int>();
}

QString itemPath(int page, int kind, int number)
{
    if (!known(page))
        return QString();
    switch (kind) {
    case Text:
        return folder(page) + QStringLiteral("text%1.txt").arg(number);
    case Video:
        return folder(page) + QStringLiteral("video%1.mp4").arg(number);
    case Picture:
        return folder(page) + QStringLiteral("imag%1.jpg").arg(number);
    default:
        return QString();
    }
}

} // namespace HelpPages
