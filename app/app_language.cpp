#include "app_language.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QSettings>
#include <QTranslator>
#include <QVariant>
#include <functional>

#include "model/catalogue.h"

namespace kb {
namespace {

// lconvert reads a PO entry's msgctxt as Qt's disambiguation, in no context.
const char* const kContext = "";
const char* const kDisambiguation = "app";
const char* const kSettingsKey = "language";

QSettings Settings()
{
    return QSettings(QStringLiteral("kristallbeugung"), QStringLiteral("kristallbeugung"));
}

QString Translated(const QByteArray& german)
{
    return QCoreApplication::translate(kContext, german.constData(), kDisambiguation);
}

// A property's German, kept under `key` on its first visit.
void Retranslate(QObject* object, const char* key, const QString& current,
                 const std::function<void(const QString&)>& set)
{
    QVariant source = object->property(key);
    if (!source.isValid()) {
        if (current.isEmpty()) {
            return;
        }
        object->setProperty(key, current);
        source = current;
    }
    set(Translated(source.toString().toUtf8()));
}

}  // namespace

QString AppText(const char* german)
{
    return QCoreApplication::translate(kContext, german, kDisambiguation);
}

void TranslateTexts(QObject* root)
{
    QList<QObject*> objects = root->findChildren<QObject*>();
    objects.prepend(root);
    for (QObject* object : objects) {
        // Texts the program sets itself as it goes (the notice, the language
        // names) are not the ones it was built with.
        if (object->property("kbOwnText").toBool()) {
            continue;
        }
        if (auto* widget = qobject_cast<QWidget*>(object)) {
            Retranslate(widget, "kbToolTip", widget->toolTip(),
                        [widget](const QString& t) { widget->setToolTip(t); });
            Retranslate(widget, "kbAccessibleName", widget->accessibleName(),
                        [widget](const QString& t) { widget->setAccessibleName(t); });
            Retranslate(widget, "kbAccessibleDescription", widget->accessibleDescription(),
                        [widget](const QString& t) { widget->setAccessibleDescription(t); });
            if (qobject_cast<QDialog*>(widget) != nullptr) {
                Retranslate(widget, "kbWindowTitle", widget->windowTitle(),
                            [widget](const QString& t) { widget->setWindowTitle(t); });
            }
        }
        if (auto* button = qobject_cast<QAbstractButton*>(object)) {
            Retranslate(button, "kbText", button->text(), [button](const QString& t) { button->setText(t); });
        } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
            Retranslate(group, "kbText", group->title(), [group](const QString& t) { group->setTitle(t); });
        } else if (auto* label = qobject_cast<QLabel*>(object)) {
            Retranslate(label, "kbText", label->text(), [label](const QString& t) { label->setText(t); });
        } else if (auto* menu = qobject_cast<QMenu*>(object)) {
            Retranslate(menu, "kbText", menu->title(), [menu](const QString& t) { menu->setTitle(t); });
        } else if (auto* action = qobject_cast<QAction*>(object)) {
            if (action->menu() == nullptr) {
                Retranslate(action, "kbText", action->text(),
                            [action](const QString& t) { action->setText(t); });
            }
        }
    }
}

QStringList Languages()
{
    QStringList codes;
    for (const std::string& code : AvailableLanguages()) {
        codes << QString::fromStdString(code);
    }
    return codes;
}

LanguageChoice StartLanguage(const std::optional<QString>& chosen)
{
    const QStringList codes = Languages();
    if (chosen && codes.contains(*chosen)) {
        return {*chosen};
    }
    const QString remembered = Settings().value(QLatin1String(kSettingsKey)).toString();
    if (codes.contains(remembered)) {
        return {remembered};
    }
    for (const QString& wanted : QLocale::system().uiLanguages()) {
        const QString language = wanted.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0);
        if (codes.contains(language)) {
            return {language, true};
        }
    }
    return {codes.first(), true};
}

void ApplyLanguage(const QString& code, bool numbers)
{
    static QTranslator* own = nullptr;
    static QTranslator* toolkit = nullptr;
    if (!SetLanguage(code.toStdString())) {
        return;
    }
    for (QTranslator** translator : {&own, &toolkit}) {
        if (*translator != nullptr) {
            QCoreApplication::removeTranslator(*translator);
            delete *translator;
            *translator = nullptr;
        }
    }
    // The numbers: the user's own conventions where they speak this
    // language, the language's otherwise.
    const QLocale language(code);
    if (numbers) {
        QLocale::setDefault(QLocale::system().language() == language.language() ? QLocale::system()
                                                                                : language);
    }
    auto* toolkitTexts = new QTranslator;
    if (toolkitTexts->load(QStringLiteral("qtbase_") + code,
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        toolkit = toolkitTexts;
        QCoreApplication::installTranslator(toolkit);
    } else {
        delete toolkitTexts;
    }
    auto* ownTexts = new QTranslator;
    if (ownTexts->load(QStringLiteral(":/i18n/%1.qm").arg(code))) {
        own = ownTexts;
        QCoreApplication::installTranslator(own);
    } else {
        delete ownTexts;
    }
}

void RememberLanguage(const QString& code)
{
    Settings().setValue(QLatin1String(kSettingsKey), code);
}

}  // namespace kb
