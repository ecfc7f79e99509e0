// Starting, following, stopping and resetting a query.
#include "uidemo08.h"

void UIDemo08::showResult()
{
}

void UIDemo08::changeSate()
{
}

void UIDemo08::pmchangeSate()
{
}

void UIDemo08::on_stopBtn_clicked()
{
}

void UIDemo08::on_fanhuiBtn_clicked()
{
}

void UIDemo08::receiveResult(QString, int)
{
}

void UIDemo08::pmreceiveResult(int)
{
}

void UIDemo08::threadClose()
{
}

void UIDemo08::pmthreadClose()
{
}
