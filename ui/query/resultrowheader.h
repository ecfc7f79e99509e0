#pragma once

#include <QHeaderView>

// The row-number header of the result tables. Qt recomputes a header's size
// hint from up to 200 sections after every inserted row, which made each
// received result cost a millisecond; the width of row numbers only changes
// when their digit count does, so the hint is kept until then.
class ResultRowHeader : public QHeaderView
{
    Q_OBJECT

public:
    explicit ResultRowHeader(QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void changeEvent(QEvent *event) override;

private:
    mutable int m_hintDigits = -1;
    mutable QSize m_hint;
};
