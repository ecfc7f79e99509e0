#include "ui/pages/helppage.h"
#include "ui_helppage.h"

#include <QFile>
#include <QTextStream>

namespace {
const QString kHelpFile = QStringLiteral(":/images/help.txt");
// The help file is written in GBK, whatever the locale.
const char *const kHelpCodec = "GBK";
const QString kLineEnd = QStringLiteral("\r\n");
} // namespace

HelpPage::HelpPage(QWidget *parent) : QWidget(parent), ui(new Ui::HelpPage)
{
    ui->setupUi(this);
    QFile file(kHelpFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream stream(&file);
    stream.setCodec(kHelpCodec);
    QString text;
    while (!stream.atEnd())
        text += stream.readLine() + kLineEnd;
    ui->helpText->setPlainText(text);
}

HelpPage::~HelpPage()
{
    delete ui;
}
