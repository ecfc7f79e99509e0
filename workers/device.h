#pragma once

#include <QMetaType>
#include <QString>

// Which of Baidu's result pages a run asks: the desktop pages (电脑端) or the
// mobile pages (移动端). Each front end turns its own words into a Device at
// its edge (the command's --device, the pages' radio buttons, the history's
// stored keys); from there on every check of every tool decides by it alone.
enum class Device
{
    Desktop,
    Mobile
};

// 电脑端 or 移动端, as labels, lists of runs and reports name it.
QString deviceName(Device device);

Q_DECLARE_METATYPE(Device)
