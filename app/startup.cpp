#include "app/startup.h"

#include "app/appinit.h"
#include "search/appsettings.h"
#include "ui/frame/uidemo08.h"

#include <QApplication>
#include <QByteArray>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTextCodec>
#include <QTranslator>

#include <unistd.h>

namespace {

const char kChromiumFlags[] = "QTWEBENGINE_CHROMIUM_FLAGS";
const QByteArray kNoSandbox = QByteArrayLiteral("--no-sandbox");

// Qt's own texts (file dialogs, standard buttons) from Debian's qttranslations5-l10n.
const QString kQtCatalogue = QStringLiteral("qtbase_zh_CN.qm");

const char kLocaleCodec[] = "UTF-8";
const QString kDefaultFamily = QStringLiteral("Microsoft Yahei");
constexpr int kDefaultPointSize = 9;

// The window and its style sheet name Windows fonts; these are the nearest
// faces a Debian desktop has (fonts-noto-cjk first, WenQuanYi if installed).
const QString kYaheiLatin = QStringLiteral("Microsoft Yahei");
const QString kYaheiChinese = QStringLiteral("微软雅黑");
const QString kSongTi = QStringLiteral("宋体");
const QStringList kSansFaces = {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei"),
                                QStringLiteral("WenQuanYi Zen Hei")};
const QStringList kSerifFaces = {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC"),
                                 QStringLiteral("WenQuanYi Zen Hei")};

void mapWindowsFonts()
{
    QFont::insertSubstitutions(kYaheiLatin, kSansFaces);
    QFont::insertSubstitutions(kYaheiChinese, kSansFaces);
    QFont::insertSubstitutions(kSongTi, kSerifFaces);
}

void loadQtCatalogue()
{
    // Once per process: every window shares it, and the tray's language switch leaves it alone.
    static QTranslator *catalogue = nullptr;
    if (catalogue)
        return;
    catalogue = new QTranslator(qApp);
    if (catalogue->load(kQtCatalogue, QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(catalogue);
}

} // namespace

namespace Startup {

void prepareProcess()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Every part of the application shares one settings file under these names.
    QCoreApplication::setOrganizationName(AppSettings::kOrganisation);
    QCoreApplication::setApplicationName(AppSettings::kApplication);
    if (::geteuid() == 0) {
        QByteArray flags = qgetenv(kChromiumFlags);
        if (!flags.split(' ').contains(kNoSandbox)) {
            if (!flags.isEmpty())
                flags += ' ';
            flags += kNoSandbox;
            qputenv(kChromiumFlags, flags);
        }
    }
}

UIDemo08 *openMainWindow()
{
    // A missing codec resets the locale codec to the system default.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName(kLocaleCodec));

    mapWindowsFonts();
    loadQtCatalogue();
    QApplication::setFont(QFont(kDefaultFamily, kDefaultPointSize));

    AppInit::instance()->install();

    auto *window = new UIDemo08;
    window->show();
    return window;
}

} // namespace Startup
