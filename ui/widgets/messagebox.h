#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// The application's message boxes: no parent, the application icon, the
// title "Quillane工具", grey large text and Chinese button labels. Tests
// pre-answer them through the answerer seam instead of showing them.
class QuillaneMessageBox
{
public:
    // Receives the unwrapped text; true stands for "确 定".
    using Answerer = std::function<bool(const QString &text)>;

    // An OK/Cancel question; true when the user chose "确 定".
    static bool ask(const QString &text);
    // A notice with "确 定" only.
    static void inform(const QString &text);
    // A notice with buttons of its own, the last one closing it; returns the
    // index of the button chosen, or -1 when the box was closed otherwise.
    static int choose(const QString &text, const QStringList &buttons);

    // A line of text asked for (a name); empty when the user cancelled.
    static QString askText(const QString &text, const QString &initial = QString());
    // askText() under test: the teller's answer stands for what the user typed.
    using Teller = std::function<QString(const QString &text)>;
    static void setTellerForTesting(Teller teller);
    // The box ask() and inform() show, built but not shown.
    static std::unique_ptr<QMessageBox> create(const QString &text, QMessageBox::StandardButtons buttons);

    // While an answerer is set, no box is shown: it answers instead and the
    // texts asked are recorded. An empty answerer shows real boxes again.
    static void setAnswererForTesting(Answerer answerer);
    // choose() under test: the chooser picks the index; without one, the
    // answerer's true picks the first button and false closes the box.
    using Chooser = std::function<int(const QString &text, const QStringList &buttons)>;
    static void setChooserForTesting(Chooser chooser);
    static QStringList takeAskedTextsForTesting();

private:
    static bool answer(const QString &text, QMessageBox::StandardButtons buttons);
};
