#include "style/stylesheet.h"

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QPalette>

namespace {

const QString kStyleSheetDir = QStringLiteral(":/qss/");
// Every sheet opens with "QPalette{background:#rrggbb;}"; the colour sits here.
constexpr int kPaletteColourIndex = 20;
constexpr int kPaletteColourLength = 7;

} // namespace

void loadStyleSheet(const QString &name)
{
    QFile file(kStyleSheetDir + name);
    if (!file.open(QIODevice::ReadOnly))
        return;

    // Rules are ASCII; only comments carry other bytes, so Latin-1 keeps them harmlessly.
    const QString styleSheet = QString::fromLatin1(file.readAll());
    const QColor paletteColour(styleSheet.mid(kPaletteColourIndex, kPaletteColourLength));
    QApplication::setPalette(QPalette(paletteColour));
    qApp->setStyleSheet(styleSheet);
    file.close();
}
