// The menu "Sprache" and the switch of every text to another language.

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>

#include "app_language.h"
#include "main_window.h"
#include "model/catalogue.h"

namespace kb {

void TForm1::BuildLanguageMenu()
{
    languageMenu_ = menuBar_->addMenu(QStringLiteral("&Sprache"));
    languageMenu_->setObjectName(QStringLiteral("LanguageMenu"));
    auto* group = new QActionGroup(languageMenu_);
    QSet<QChar> mnemonics;
    for (const QString& code : Languages()) {
        // Each language by its own name, whatever the language in use, with
        // the first of its letters no other item has taken as its key.
        QString name = QString::fromStdString(LanguageName(code.toStdString()));
        qsizetype at = 0;
        while (at < name.size() && (!name[at].isLetter() || mnemonics.contains(name[at].toLower()))) {
            ++at;
        }
        if (at < name.size()) {
            mnemonics.insert(name[at].toLower());
            name.insert(at, QLatin1Char('&'));
        }
        QAction* action = languageMenu_->addAction(name);
        action->setObjectName(QStringLiteral("Language_") + code);
        action->setProperty("kbOwnText", true);
        action->setData(code);
        action->setCheckable(true);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, code] {
            SetLanguage(code);
            RememberLanguage(code);
        });
    }
}

void TForm1::SetLanguage(const QString& code)
{
    ApplyLanguage(code);
    RetranslateUi();
}

void TForm1::RetranslateUi()
{
    TranslateTexts(this);
    SetExperimentMenuTexts();
    NameSharedCaptions();
    const QString current = QString::fromStdString(CurrentLanguage());
    for (QAction* action : languageMenu_->actions()) {
        action->setChecked(action->data().toString() == current);
    }
    // The core's texts: caption, Button3, readouts, picture and verdict.
    session_->SetLanguage(CurrentLanguage());
    RetranslateGuide();
    SyncMenuStates();
}

}  // namespace kb
