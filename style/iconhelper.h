#ifndef QUILLANE_ICONHELPER_H
#define QUILLANE_ICONHELPER_H

#include <QFont>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QString>

class QAbstractButton;
class QFrame;
class QLabel;
class QToolButton;
class QWidget;

// Draws icon-font glyphs for buttons and gives the frameless window's
// navigation bars their look, swapping pre-rendered pictures on hover.
class IconHelper : public QObject
{
    Q_OBJECT

public:
    static IconHelper *instance();

    void setButtonGlyph(QAbstractButton *button, QChar glyph, int pixelSize);
    void setLabelGlyph(QLabel *label, QChar glyph, int pixelSize);

    QPixmap renderGlyph(const QString &color, QChar glyph, int pixelSize, int width, int height);
    // The picture of the button's first registration; empty if it was never styled.
    QPixmap stateGlyph(const QToolButton *button, bool idle) const;

    void styleNavigationBar(QWidget *container, const QList<QToolButton *> &buttons, const QList<int> &glyphs,
                            int pixelSize, int iconWidth, int iconHeight, const QString &side,
                            int borderWidth, const QString &borderColor, const QString &idleBackground,
                            const QString &activeBackground, const QString &idleTextColor,
                            const QString &activeTextColor);
    void styleNavigationButtons(QWidget *container, const QString &side, int borderWidth,
                                const QString &borderColor, const QString &idleBackground,
                                const QString &activeBackground, const QString &idleTextColor,
                                const QString &activeTextColor);
    void styleFrameButtons(QFrame *frame, const QList<QToolButton *> &buttons, const QList<int> &glyphs,
                           int pixelSize, int iconWidth, int iconHeight, const QString &idleBackground,
                           const QString &activeBackground, const QString &idleTextColor,
                           const QString &activeTextColor);

    // Border width and padding for the accent side ("top", "right", "bottom",
    // "left"); empty for any other text.
    static QString sideFragment(const QString &side, int borderWidth);

    QFont glyphFont() const { return m_glyphFont; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit IconHelper(QObject *parent);

    void forgetButton(QObject *button);
    void registerButtons(const QList<QToolButton *> &buttons, const QList<int> &glyphs, int pixelSize,
                         int iconWidth, int iconHeight, const QString &idleTextColor,
                         const QString &activeTextColor);

    QFont m_glyphFont;
    QList<QToolButton *> m_styledButtons;
    QList<QPixmap> m_idleGlyphs;
    QList<QPixmap> m_activeGlyphs;
};

#endif
