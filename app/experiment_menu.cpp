// The menu "Experiment": every lesson by number and title, so that a lesson
// is found by what it shows before it is started.

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSet>

#include "lesson/experiments.h"
#include "main_window.h"

namespace kb {
namespace {

// The lesson's text with a mnemonic of its own: the digit of 0 to 9, for the
// others the first letter of the title that no entry before has taken.
QString WithMnemonic(const Experiment& experiment, QSet<QChar>& taken)
{
    const QString text =
        QString::fromStdString(ExperimentMenuText(experiment)).replace(QLatin1Char('&'), QLatin1String("&&"));
    const qsizetype titleAt = text.indexOf(QLatin1String(": ")) + 2;
    qsizetype at = -1;
    if (experiment.number >= 0 && experiment.number <= 9) {
        at = 0;
    } else {
        for (qsizetype i = titleAt; i < text.size() && at < 0; ++i) {
            if (text[i].isLetter() && !taken.contains(text[i].toLower())) {
                at = i;
            }
        }
    }
    if (at < 0) {
        return text;
    }
    taken.insert(text[at].toLower());
    return text.left(at) + QLatin1Char('&') + text.mid(at);
}

}  // namespace

void TForm1::BuildExperimentMenu(QMenu* menu)
{
    menu->setObjectName(QStringLiteral("ExperimentMenu"));
    for (const Experiment& experiment : ExperimentCatalogue()) {
        QAction* action = menu->addAction(QString());
        action->setObjectName(QStringLiteral("ExperimentAction%1").arg(experiment.number));
        // The core's titles: set here in each language, not by TranslateTexts.
        action->setProperty("kbOwnText", true);
        const int number = experiment.number;
        connect(action, &QAction::triggered, this, [this, number] { StartExperiment(number); });
    }
    SetExperimentMenuTexts();
}

void TForm1::SetExperimentMenuTexts()
{
    auto* menu = menuBar_->findChild<QMenu*>(QStringLiteral("ExperimentMenu"));
    QSet<QChar> taken;
    for (char digit = '0'; digit <= '9'; ++digit) {
        taken.insert(QLatin1Char(digit));
    }
    for (const Experiment& experiment : ExperimentCatalogue()) {
        menu->findChild<QAction*>(QStringLiteral("ExperimentAction%1").arg(experiment.number))
            ->setText(WithMnemonic(experiment, taken));
    }
}

}  // namespace kb
