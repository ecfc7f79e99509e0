#include "style/iconhelper.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDebug>
#include <QEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QStringList>
#include <QToolButton>

#include <atomic>

namespace {

const QString kFontResource = QStringLiteral(":/images/fontawesome-webfont.ttf");
const char kFontLoadError[] = "load fontawesome-webfont.ttf error";

// %1 is the border width, %2 twice that.
const QString kSideTop = QStringLiteral("border-width:%1px 0px 0px 0px;padding:%1px %2px %2px %2px;");
const QString kSideRight = QStringLiteral("border-width:0px %1px 0px 0px;padding:%2px %1px %2px %2px;");
const QString kSideBottom = QStringLiteral("border-width:0px 0px %1px 0px;padding:%2px %2px %1px %2px;");
const QString kSideLeft = QStringLiteral("border-width:0px 0px 0px %1px;padding:%2px %2px %2px %1px;");

const QString kRuleIdleBeside = QStringLiteral(
    "QWidget[flag=\"%1\"] QAbstractButton{border-style:solid;border-radius:0px;%2border-color:%3;"
    "color:%4;background:%5;}");
const QString kRuleIdle =
    QStringLiteral("QWidget[flag=\"%1\"] QAbstractButton{border-style:none;border-radius:0px;padding:5px;"
                   "color:%2;background:%3;}");
const QString kRuleActive = QStringLiteral(
    "QWidget[flag=\"%1\"] QAbstractButton:hover,QWidget[flag=\"%1\"] QAbstractButton:pressed,"
    "QWidget[flag=\"%1\"] QAbstractButton:checked{border-style:solid;%2border-color:%3;color:%4;"
    "background:%5;}");
const QString kRuleContainer = QStringLiteral("QWidget#%1{background:%2;}");
const QString kRuleToolBorder = QStringLiteral("QWidget>QToolButton{border-width:0px;}");
const QString kRuleToolIdle = QStringLiteral("QWidget>QToolButton{background-color:%1;color:%2;}");
const QString kRuleToolActive =
    QStringLiteral("QWidget>QToolButton:hover,QWidget>QToolButton:pressed,QWidget>QToolButton:checked{"
                   "background-color:%1;color:%2;}");

const QString kFrameToolBorder = QStringLiteral("QFrame>QToolButton{border-style:none;border-width:0px;}");
const QString kFrameToolIdle = QStringLiteral("QFrame>QToolButton{background-color:%1;color:%2;}");
const QString kFrameToolActive =
    QStringLiteral("QFrame>QToolButton:hover,QFrame>QToolButton:pressed,QFrame>QToolButton:checked{"
                   "background-color:%1;color:%2;}");

bool usableLists(const QList<QToolButton *> &buttons, const QList<int> &glyphs)
{
    return !buttons.isEmpty() && !glyphs.isEmpty() && buttons.size() == glyphs.size();
}

QMutex &instanceMutex()
{
    static QMutex mutex;
    return mutex;
}

std::atomic<IconHelper *> s_instance{nullptr};

} // namespace

IconHelper *IconHelper::instance()
{
    IconHelper *helper = s_instance.load(std::memory_order_acquire);
    if (!helper) {
        QMutexLocker locker(&instanceMutex());
        helper = s_instance.load(std::memory_order_relaxed);
        if (!helper) {
            helper = new IconHelper(qApp);
            s_instance.store(helper, std::memory_order_release);
        }
    }
    return helper;
}

IconHelper::IconHelper(QObject *parent) : QObject(parent)
{
    const int fontId = QFontDatabase::addApplicationFont(kFontResource);
    const QStringList families = QFontDatabase::applicationFontFamilies(fontId);
    if (!families.isEmpty())
        m_glyphFont = QFont(families.first());
    else
        qDebug() << kFontLoadError;
}

void IconHelper::setButtonGlyph(QAbstractButton *button, QChar glyph, int pixelSize)
{
    m_glyphFont.setPixelSize(pixelSize);
    button->setFont(m_glyphFont);
    button->setText(glyph);
}

void IconHelper::setLabelGlyph(QLabel *label, QChar glyph, int pixelSize)
{
    m_glyphFont.setPixelSize(pixelSize);
    label->setFont(m_glyphFont);
    label->setText(glyph);
}

QPixmap IconHelper::renderGlyph(const QString &color, QChar glyph, int pixelSize, int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);

    QPainter painter(&pixmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QColor paint(color);
    painter.setPen(paint);
    painter.setBrush(paint);
    m_glyphFont.setPixelSize(pixelSize);
    painter.setFont(m_glyphFont);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    painter.end();
    return pixmap;
}

QPixmap IconHelper::stateGlyph(const QToolButton *button, bool idle) const
{
    const int index = m_styledButtons.indexOf(const_cast<QToolButton *>(button));
    if (index < 0)
        return QPixmap();
    return idle ? m_idleGlyphs.at(index) : m_activeGlyphs.at(index);
}

QString IconHelper::sideFragment(const QString &side, int borderWidth)
{
    QString pattern;
    if (side == QLatin1String("top"))
        pattern = kSideTop;
    else if (side == QLatin1String("right"))
        pattern = kSideRight;
    else if (side == QLatin1String("bottom"))
        pattern = kSideBottom;
    else if (side == QLatin1String("left"))
        pattern = kSideLeft;
    else
        return QString();
    return pattern.arg(borderWidth).arg(borderWidth * 2);
}

void IconHelper::styleNavigationBar(QWidget *container, const QList<QToolButton *> &buttons,
                                    const QList<int> &glyphs, int pixelSize, int iconWidth, int iconHeight,
                                    const QString &side, int borderWidth, const QString &borderColor,
                                    const QString &idleBackground, const QString &activeBackground,
                                    const QString &idleTextColor, const QString &activeTextColor)
{
    if (!usableLists(buttons, glyphs))
        return;

    const QString fragment = sideFragment(side, borderWidth);
    QStringList rules;
    if (buttons.first()->toolButtonStyle() == Qt::ToolButtonTextBesideIcon)
        rules << kRuleIdleBeside.arg(side, fragment, idleBackground, idleTextColor, idleBackground);
    else
        rules << kRuleIdle.arg(side, idleTextColor, idleBackground);
    rules << kRuleActive.arg(side, fragment, borderColor, activeTextColor, activeBackground);
    rules << kRuleContainer.arg(container->objectName(), idleBackground);
    rules << kRuleToolBorder;
    rules << kRuleToolIdle.arg(idleBackground, idleTextColor);
    rules << kRuleToolActive.arg(activeBackground, activeTextColor);
    container->setStyleSheet(rules.join(QString()));

    registerButtons(buttons, glyphs, pixelSize, iconWidth, iconHeight, idleTextColor, activeTextColor);
}

void IconHelper::styleNavigationButtons(QWidget *container, const QString &side, int borderWidth,
                                        const QString &borderColor, const QString &idleBackground,
                                        const QString &activeBackground, const QString &idleTextColor,
                                        const QString &activeTextColor)
{
    const QString fragment = sideFragment(side, borderWidth);
    container->setStyleSheet(kRuleIdle.arg(side, idleTextColor, idleBackground) %
                             kRuleActive.arg(side, fragment, borderColor, activeTextColor, activeBackground));
}

void IconHelper::styleFrameButtons(QFrame *frame, const QList<QToolButton *> &buttons,
                                   const QList<int> &glyphs, int pixelSize, int iconWidth, int iconHeight,
                                   const QString &idleBackground, const QString &activeBackground,
                                   const QString &idleTextColor, const QString &activeTextColor)
{
    if (!usableLists(buttons, glyphs))
        return;

    frame->setStyleSheet(kFrameToolBorder % kFrameToolIdle.arg(idleBackground, idleTextColor) %
                         kFrameToolActive.arg(activeBackground, activeTextColor));
    registerButtons(buttons, glyphs, pixelSize, iconWidth, iconHeight, idleTextColor, activeTextColor);
}

void IconHelper::registerButtons(const QList<QToolButton *> &buttons, const QList<int> &glyphs, int pixelSize,
                                 int iconWidth, int iconHeight, const QString &idleTextColor,
                                 const QString &activeTextColor)
{
    for (int i = 0; i < buttons.size(); ++i) {
        QToolButton *button = buttons.at(i);
        const QChar glyph(glyphs.at(i));
        const QPixmap idle = renderGlyph(idleTextColor, glyph, pixelSize, iconWidth, iconHeight);
        const QPixmap active = renderGlyph(activeTextColor, glyph, pixelSize, iconWidth, iconHeight);
        button->setIcon(QIcon(idle));
        button->setIconSize(QSize(iconWidth, iconHeight));
        button->installEventFilter(this);
        m_styledButtons.append(button);
        m_idleGlyphs.append(idle);
        m_activeGlyphs.append(active);
        // A later button may be built at a destroyed one's address: forget it.
        connect(button, &QObject::destroyed, this, &IconHelper::forgetButton, Qt::UniqueConnection);
    }
}

void IconHelper::forgetButton(QObject *button)
{
    for (int index = m_styledButtons.size() - 1; index >= 0; --index) {
        if (m_styledButtons.at(index) == button) {
            m_styledButtons.removeAt(index);
            m_idleGlyphs.removeAt(index);
            m_activeGlyphs.removeAt(index);
        }
    }
}

bool IconHelper::eventFilter(QObject *watched, QEvent *event)
{
    auto *button = qobject_cast<QToolButton *>(watched);
    if (!button)
        return false;
    const int index = m_styledButtons.indexOf(button);
    if (index < 0)
        return false;

    if (event->type() == QEvent::Enter) {
        button->setIcon(QIcon(m_activeGlyphs.at(index)));
    } else if (event->type() == QEvent::Leave) {
        button->setIcon(QIcon(button->isChecked() ? m_activeGlyphs.at(index) : m_idleGlyphs.at(index)));
    }
    return false;
}
