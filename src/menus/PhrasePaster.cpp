#include "menus/PhrasePaster.h"

#include "base/Clock.h"
#include "base/Logging.h"
#include "history/ClipboardMonitor.h"
#include "menus/PlaceholderForm.h"
#include "paste/PasteSequence.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StorageContext.h"
#include "store/StorageService.h"

namespace quillet {

PhrasePaster::PhrasePaster(StorageService& storage, PasteActionService& paste,
                           AppFocusService& focus, ClipboardMonitor& monitor, Clock& clock,
                           QObject* parent)
    : QObject(parent),
      m_storage(storage),
      m_paste(paste),
      m_focus(focus),
      m_monitor(monitor),
      m_clock(clock) {}

PhrasePaster::~PhrasePaster() {
    delete m_form;
}

std::optional<QString> PhrasePaster::phraseBody(const QString& category, const QString& title) {
    return libraryLookup()(category, title);
}

PhraseLookup PhrasePaster::libraryLookup() {
    // Each category named is read once per lookup object however often it is referred to;
    // the first phrase of a title wins, as the first category of a name does.
    using Titles = QHash<QString, QString>;
    auto read = std::make_shared<QHash<QString, Titles>>();
    return [this, read](const QString& category, const QString& title) -> std::optional<QString> {
        auto known = read->find(category);
        if (known == read->end()) {
            Titles titles;
            for (const auto& candidate : m_storage.fetchCategories()) {
                if (candidate->name() != category) continue;
                for (const auto& phrase : m_storage.context().phrasesOf(candidate->id()))
                    if (!phrase->isDeleted() && !titles.contains(phrase->title()))
                        titles.insert(phrase->title(), phrase->body());
            }
            known = read->insert(category, titles);
        }
        const auto body = known->constFind(title);
        if (body == known->cend()) return std::nullopt;
        return *body;
    };
}

void PhrasePaster::paste(const QString& body, const QString& title) {
    if (!PlaceholderFiller::mayHavePlaceholders(body)) {
        m_monitor.copyToPasteboard(body);
        finishPaste(m_focus, m_paste, this);
        return;
    }
    const PhraseLookup lookup = libraryLookup();
    const PlaceholderFiller::Needs needs = PlaceholderFiller::needs(body, lookup);
    auto carryOn = [this, body, title, lookup,
                    fields = needs.fields](const std::optional<QString>& clipboard) {
        if (fields.isEmpty())
            pasteFilled(body, clipboard, lookup, {});
        else
            askThenPaste(body, title, clipboard, lookup, fields);
    };
    if (!needs.clipboard) {
        carryOn(std::nullopt);
        return;
    }
    // What the clipboard holds when the phrase is chosen, before anything of ours is written
    // (read for this paste if recording is paused: what was read before is out of date).
    m_paste.readClipboardText(carryOn);
}

void PhrasePaster::askThenPaste(const QString& body, const QString& title,
                                const std::optional<QString>& clipboard, const PhraseLookup& lookup,
                                const QList<PlaceholderField>& fields) {
    // One form at a time: a phrase chosen while another's form is open replaces it.
    if (m_form) {
        m_form->disconnect(this);
        m_form->close();
    }
    m_form = new PlaceholderForm(fields, title);
    connect(m_form, &PlaceholderForm::answered, this,
            [this, body, clipboard, lookup](const QHash<QString, QString>& answers) {
                pasteFilled(body, clipboard, lookup, answers);
            });
    // Cancelled: nothing is pasted; the user's application gets the keyboard back.
    connect(m_form, &PlaceholderForm::cancelled, this,
            [this] { m_focus.restorePreviousApp([] {}); });
    m_form->present();
}

void PhrasePaster::pasteFilled(const QString& body, const std::optional<QString>& clipboard,
                               const PhraseLookup& lookup, const QHash<QString, QString>& answers) {
    FillContext context;
    context.now = m_clock.now().toLocalTime();
    context.locale = QLocale();
    context.clipboard = clipboard;
    context.answers = answers;
    context.lookup = lookup;
    const FilledPhrase filled = PlaceholderFiller::fill(body, context);
    if (!filled.complete) {
        qCWarning(lcPhrases) << "the filled-in phrase would exceed"
                             << PlaceholderFiller::maxOutputLength << "characters; not pasted";
        if (m_tooLargeNotice) m_tooLargeNotice();
        return;
    }
    m_monitor.copyToPasteboard(filled.text);
    finishPaste(m_focus, m_paste, this, filled.caretLeft);
}

}  // namespace quillet
