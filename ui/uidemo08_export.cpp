// Exporting a result table as a spreadsheet report.
#include "uidemo08.h"

void UIDemo08::on_daochuBtn_clicked()
{
}
