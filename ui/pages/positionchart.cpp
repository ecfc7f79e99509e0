#include "ui/pages/positionchart.h"

#include "search/resultstrings.h"

#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>

using namespace QtCharts;

namespace {
const QString kBeyondLabel = QStringLiteral("30+");
const QString kDateFormat = QStringLiteral("MM-dd");
// Runs all of one day are told apart by their times.
const QString kTimeFormat = QStringLiteral("MM-dd HH:mm");
const QColor kLineColor(0x1e, 0x90, 0xff);
const qreal kMarkerSize = 7.0;
const qint64 kOneDayMs = 24 * 3600 * 1000;
// Places labelled on the position axis; 30 itself would overlap 30+.
const int kLabelledPlaces[] = {1, 10, 20};
} // namespace

PositionChart::PositionChart(QWidget *parent) : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->hide();
    setMinimumHeight(180);
}

std::optional<int> PositionChart::placeOf(const QString &position)
{
    bool number = false;
    const int place = position.toInt(&number);
    if (number && place >= 1 && place < kBottomEdge)
        return place;
    if (position == ResultText::kPositionBeyond || position == ResultText::kPositionNotSearched)
        return kBottomEdge;
    return std::nullopt;
}

void PositionChart::setHistory(const QString &title, const QList<PositionPoint> &points)
{
    QChart *drawn = chart();
    drawn->removeAllSeries();
    const QList<QAbstractAxis *> axes = drawn->axes();
    for (QAbstractAxis *axis : axes) {
        drawn->removeAxis(axis); // hands the axis back to us
        delete axis;
    }
    drawn->setTitle(title);
    m_plotted.clear();
    m_segments = 0;
    if (points.isEmpty())
        return;

    auto *markers = new QScatterSeries;
    markers->setMarkerSize(kMarkerSize);
    markers->setColor(kLineColor);
    QList<QLineSeries *> stretches;
    QLineSeries *stretch = nullptr;
    for (const PositionPoint &point : points) {
        const std::optional<int> place = placeOf(point.position);
        if (!place) {
            stretch = nullptr; // 异常: the line breaks here
            continue;
        }
        const QPointF at(qreal(point.startedAt.toMSecsSinceEpoch()), qreal(*place));
        m_plotted.append(at);
        markers->append(at);
        if (!stretch) {
            stretch = new QLineSeries;
            stretch->setColor(kLineColor);
            stretches.append(stretch);
        }
        stretch->append(at);
    }
    m_segments = stretches.size();

    auto *time = new QDateTimeAxis;
    const qint64 first = points.first().startedAt.toMSecsSinceEpoch();
    const qint64 last = points.last().startedAt.toMSecsSinceEpoch();
    const bool oneDay =
        points.first().startedAt.toLocalTime().date() == points.last().startedAt.toLocalTime().date();
    time->setFormat(oneDay ? kTimeFormat : kDateFormat);
    // A single run, or runs of one moment, still get a readable span.
    const qint64 margin = qMax<qint64>((last - first) / 20, last == first ? kOneDayMs : 0);
    time->setRange(QDateTime::fromMSecsSinceEpoch(first - margin),
                   QDateTime::fromMSecsSinceEpoch(last + margin));
    time->setTickCount(qBound(2, int(points.size()), 8));

    auto *place = new QCategoryAxis;
    place->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    for (int labelled : kLabelledPlaces)
        place->append(QString::number(labelled), labelled);
    place->append(kBeyondLabel, kBottomEdge);
    place->setRange(1, kBottomEdge);
    place->setReverse(true); // 1, the best place, at the top

    drawn->addAxis(time, Qt::AlignBottom);
    drawn->addAxis(place, Qt::AlignLeft);
    for (QLineSeries *series : qAsConst(stretches)) {
        drawn->addSeries(series);
        series->attachAxis(time);
        series->attachAxis(place);
    }
    drawn->addSeries(markers);
    markers->attachAxis(time);
    markers->attachAxis(place);
}
