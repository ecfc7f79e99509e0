#include "ui/widgets/messagebox.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QIcon>
#include <QInputDialog>
#include <QMutex>
#include <QMutexLocker>
#include <QPushButton>

#include <utility>

namespace {
const QString kIconPath = QStringLiteral(":/images/quillane.ico");
const QString kTextOpen = QStringLiteral("<font size='4' color='#666666'>");
const QString kTextClose = QStringLiteral("</font>");
// Texts of the boxes belong to the window's translation context.
const char kContext[] = "QuillaneMessageBox";
const char kTitle[] = QT_TRANSLATE_NOOP("QuillaneMessageBox", "Quillane工具");
const char kOkLabel[] = QT_TRANSLATE_NOOP("QuillaneMessageBox", "确 定");
const char kCancelLabel[] = QT_TRANSLATE_NOOP("QuillaneMessageBox", "取 消");

// Boxes are asked from the GUI thread only; the lock keeps the seam honest
// when a test swaps the answerer from elsewhere.
QMutex seamMutex;
QuillaneMessageBox::Answerer testAnswerer;
QuillaneMessageBox::Chooser testChooser;
QuillaneMessageBox::Teller testTeller;
QStringList askedTexts;
} // namespace

std::unique_ptr<QMessageBox> QuillaneMessageBox::create(const QString &text,
                                                        QMessageBox::StandardButtons buttons)
{
    auto box = std::make_unique<QMessageBox>();
    box->setWindowIcon(QIcon(kIconPath));
    box->setWindowTitle(QCoreApplication::translate(kContext, kTitle));
    box->setText(kTextOpen + text + kTextClose);
    box->setStandardButtons(buttons);
    if (QAbstractButton *ok = box->button(QMessageBox::Ok))
        ok->setText(QCoreApplication::translate(kContext, kOkLabel));
    if (QAbstractButton *cancel = box->button(QMessageBox::Cancel))
        cancel->setText(QCoreApplication::translate(kContext, kCancelLabel));
    return box;
}

bool QuillaneMessageBox::answer(const QString &text, QMessageBox::StandardButtons buttons)
{
    Answerer answerer;
    {
        QMutexLocker lock(&seamMutex);
        if (testAnswerer) {
            askedTexts.append(text);
            answerer = testAnswerer;
        }
    }
    if (answerer)
        return answerer(text);
    return create(text, buttons)->exec() == QMessageBox::Ok;
}

bool QuillaneMessageBox::ask(const QString &text)
{
    return answer(text, QMessageBox::Ok | QMessageBox::Cancel);
}

void QuillaneMessageBox::inform(const QString &text)
{
    answer(text, QMessageBox::Ok);
}

int QuillaneMessageBox::choose(const QString &text, const QStringList &buttons)
{
    Chooser chooser;
    Answerer answerer;
    {
        QMutexLocker lock(&seamMutex);
        chooser = testChooser;
        answerer = testAnswerer;
        if (chooser || answerer)
            askedTexts.append(text);
    }
    if (chooser)
        return chooser(text, buttons);
    if (answerer)
        return answerer(text) ? 0 : -1;

    const std::unique_ptr<QMessageBox> box = create(text, QMessageBox::NoButton);
    QList<QAbstractButton *> added;
    for (int i = 0; i < buttons.size(); ++i)
        added.append(box->addButton(buttons.at(i), i + 1 < buttons.size() ? QMessageBox::ActionRole
                                                                          : QMessageBox::RejectRole));
    box->exec();
    return added.indexOf(box->clickedButton());
}

QString QuillaneMessageBox::askText(const QString &text, const QString &initial)
{
    {
        QMutexLocker lock(&seamMutex);
        if (testTeller) {
            askedTexts.append(text);
            return testTeller(text);
        }
    }
    QInputDialog dialog;
    dialog.setWindowIcon(QIcon(kIconPath));
    dialog.setWindowTitle(QCoreApplication::translate(kContext, kTitle));
    dialog.setLabelText(text);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(QCoreApplication::translate(kContext, kOkLabel));
    dialog.setCancelButtonText(QCoreApplication::translate(kContext, kCancelLabel));
    return dialog.exec() == QDialog::Accepted ? dialog.textValue().trimmed() : QString();
}

void QuillaneMessageBox::setTellerForTesting(Teller teller)
{
    QMutexLocker lock(&seamMutex);
    testTeller = std::move(teller);
}

void QuillaneMessageBox::setChooserForTesting(Chooser chooser)
{
    QMutexLocker lock(&seamMutex);
    testChooser = std::move(chooser);
}

void QuillaneMessageBox::setAnswererForTesting(Answerer answerer)
{
    QMutexLocker lock(&seamMutex);
    testAnswerer = std::move(answerer);
    askedTexts.clear();
}

QStringList QuillaneMessageBox::takeAskedTextsForTesting()
{
    QMutexLocker lock(&seamMutex);
    return std::exchange(askedTexts, QStringList());
}
