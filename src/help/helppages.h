#pragma once

#include <QList>
#include <QString>

// What each page's help shows: its title, its resource folder and its items in order.
namespace HelpPages {

enum ItemKind { Text = 0, Video = 1, Picture = 2 };

constexpr int WorkCyclePage = 0;
constexpr int DevicesPage = 1;
constexpr int ScenarioPage = 2;
constexpr int HistoryPage = 3;
constexpr int PageCount = 4;

// Empty for a page number outside 0..3.
QString title(int page);
QString folder(int page);
QList<int> items(int page);

// Resource path of the n-th (from 1) item of a kind on a page: "text%1.txt", "video%1.mp4", "imag%1.jpg".
QString itemPath(int page, int kind, int number);

} // namespace HelpPages
