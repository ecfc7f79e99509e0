#pragma once

#include <QUrl>
#include <QWidget>

namespace Ui {
class HomePage;
}

// The window's first page (当前位置：首页): a line for advertisers and the
// advertisement panel, which loads its page in the background and shows a
// compiled-in placeholder when the page cannot be had.
class HomePage : public QWidget
{
    Q_OBJECT

public:
    explicit HomePage(QWidget *parent = nullptr);
    ~HomePage() override;

    // Test seam: where the advertisement panel navigates; set before building a page.
    static void setAdvertisementAddressForTesting(const QUrl &address);

private:
    Ui::HomePage *ui;
};
