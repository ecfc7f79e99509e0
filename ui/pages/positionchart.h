#pragma once

#include "history/historystore.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QtCharts/QChartView>

#include <optional>

// A ranking line's position over the stored runs: time across, position down
// from 1 at the top. A position beyond the first 30 (or a page not in the
// index) sits on the bottom edge, labelled 30+; a run where the line was 异常
// leaves a gap in the line.
class PositionChart : public QtCharts::QChartView
{
    Q_OBJECT

public:
    // The place drawn for "30+" and "--": the bottom edge.
    static constexpr int kBottomEdge = 31;

    explicit PositionChart(QWidget *parent = nullptr);

    // Shows a line's history; an empty list clears the chart.
    void setHistory(const QString &title, const QList<PositionPoint> &points);
    // What is drawn: for each stored run with a known place, (start time in
    // ms since the epoch, place), oldest first.
    QList<QPointF> plottedPoints() const { return m_plotted; }
    // The unbroken stretches of the line, between 异常 runs.
    int segmentCount() const { return m_segments; }

    // The place drawn for a stored position; none for 异常 or unknown.
    static std::optional<int> placeOf(const QString &position);

private:
    QList<QPointF> m_plotted;
    int m_segments = 0;
};
