#pragma once

#include <QWidget>

namespace Ui {
class HelpPage;
}

// 帮助手册: the compiled-in help text, read-only.
class HelpPage : public QWidget
{
    Q_OBJECT

public:
    explicit HelpPage(QWidget *parent = nullptr);
    ~HelpPage() override;

private:
    Ui::HelpPage *ui;
};
