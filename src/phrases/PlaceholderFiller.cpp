#include "phrases/PlaceholderFiller.h"

#include <QSet>

namespace quillet {

namespace {

// A reference with many slashes could name a phrase in many ways; past this many splits the
// rest is not tried, so a hostile reference cannot cost a store query per character.
constexpr int maxReferenceSplits = 8;

int caretLeftOf(QStringView tail) {
    int count = 0;
    for (qsizetype i = 0; i < tail.size(); ++i) {
        const QChar c = tail[i];
        if (c.isHighSurrogate() && i + 1 < tail.size() && tail[i + 1].isLowSurrogate())
            ++i;
        else if (c == u'\r' && i + 1 < tail.size() && tail[i + 1] == u'\n')
            ++i;
        ++count;
    }
    return count;
}

// "+3d" and the like; nothing when `token` is not an offset or is out of range.
std::optional<QDateTime> shifted(const QDateTime& from, QStringView token) {
    if (token.size() < 3 || (token[0] != u'+' && token[0] != u'-')) return std::nullopt;
    bool ok = false;
    const int amount = token.mid(1, token.size() - 2).toInt(&ok);
    if (!ok || !token[1].isDigit() || amount > PlaceholderFiller::maxOffsetAmount)
        return std::nullopt;
    const int n = token[0] == u'-' ? -amount : amount;
    switch (token.back().unicode()) {
        case 'y':
            return from.addYears(n);
        case 'M':
            return from.addMonths(n);
        case 'w':
            return from.addDays(7LL * n);
        case 'd':
            return from.addDays(n);
        case 'h':
            return from.addSecs(3600LL * n);
        case 'm':
            return from.addSecs(60LL * n);
        default:
            return std::nullopt;
    }
}

// One fill (or one look for fields) of a body and the phrases it refers to.
class Walker {
public:
    Walker(const PhraseLookup& lookup, const FillContext* context)
        : m_lookup(lookup), m_context(context) {}

    void walk(QStringView body, int depth);

    QString out;
    qsizetype cursorAt = -1;
    bool complete = true;
    QList<PlaceholderField> fields;
    bool usesClipboard = false;

private:
    void append(QStringView text);
    bool expand(QStringView inner, int depth);
    bool expandDate(QStringView argument);
    bool expandPhrase(const QString& reference, int depth);
    void addField(PlaceholderField field);
    std::optional<QString> resolve(const QString& reference);

    const PhraseLookup& m_lookup;
    const FillContext* m_context;  // none while only fields are collected
    qsizetype m_nestedRead = 0;
    QStringList m_filling;  // the references being filled, outermost first
    QHash<QString, std::optional<QString>> m_resolved;
    QSet<QString> m_labels;
};

void Walker::walk(QStringView body, int depth) {
    qsizetype i = 0;
    const qsizetype n = body.size();
    while (i < n && complete) {
        const QChar c = body[i];
        const bool doubled = i + 1 < n && body[i + 1] == c;
        if ((c == u'{' || c == u'}') && doubled) {
            append(body.mid(i, 1));
            i += 2;
            continue;
        }
        if (c == u'}') {
            append(body.mid(i, 1));
            ++i;
            continue;
        }
        qsizetype next = i + 1;
        while (next < n && body[next] != u'{' && body[next] != u'}') ++next;
        if (c != u'{') {
            append(body.mid(i, next - i));
        } else if (next < n && body[next] == u'}') {
            const QStringView inner = body.mid(i + 1, next - i - 1);
            if (!expand(inner, depth)) append(body.mid(i, next - i + 1));
            ++next;
        } else {
            append(body.mid(i, next - i));  // a brace that opens nothing
        }
        i = next;
    }
}

void Walker::append(QStringView text) {
    if (!m_context || !complete) return;
    if (out.size() + text.size() > PlaceholderFiller::maxOutputLength) {
        complete = false;
        return;
    }
    out.append(text);
}

bool Walker::expand(QStringView inner, int depth) {
    const qsizetype colon = inner.indexOf(u':');
    const QStringView name = colon < 0 ? inner : inner.left(colon);
    if (colon < 0) {
        if (name == u"cursor") {
            if (cursorAt >= 0) return false;
            cursorAt = out.size();
            return true;
        }
        if (name == u"clipboard") {
            usesClipboard = true;
            if (m_context) append(m_context->clipboard.value_or(QString()));
            return true;
        }
        if (name == u"date" || name == u"time") {
            if (!m_context) return true;
            const QDateTime& now = m_context->now;
            append(name == u"date" ? m_context->locale.toString(now.date(), QLocale::ShortFormat)
                                   : m_context->locale.toString(now.time(), QLocale::ShortFormat));
            return true;
        }
        return false;
    }
    const QStringView argument = inner.mid(colon + 1);
    if (name == u"date") return expandDate(argument);
    if (name == u"phrase") return expandPhrase(argument.toString(), depth);
    if (name == u"input") {
        if (argument.isEmpty()) return false;
        const QString label = argument.toString();
        addField({PlaceholderField::Kind::input, label, {}});
        if (m_context) append(m_context->answers.value(label));
        return true;
    }
    if (name == u"choice") {
        const qsizetype equals = argument.indexOf(u'=');
        if (equals <= 0) return false;
        const QString label = argument.left(equals).toString();
        const QStringList choices = argument.mid(equals + 1).toString().split(u'|');
        addField({PlaceholderField::Kind::choice, label, choices});
        if (m_context) append(m_context->answers.value(label, choices.first()));
        return true;
    }
    return false;
}

bool Walker::expandDate(QStringView argument) {
    if (!m_context) return true;
    QDateTime when = m_context->now;
    // Offsets are the words at the end that look like one; the rest is the format.
    QStringView format = argument.trimmed();
    while (!format.isEmpty()) {
        const qsizetype space = format.lastIndexOf(u' ');
        const QStringView last = format.mid(space + 1);
        if (last.isEmpty() || (last[0] != u'+' && last[0] != u'-')) break;
        const std::optional<QDateTime> moved = shifted(when, last);
        if (!moved || !moved->isValid()) return false;
        when = *moved;
        format = space < 0 ? QStringView() : format.left(space).trimmed();
    }
    append(format.isEmpty() ? m_context->locale.toString(when.date(), QLocale::ShortFormat)
                            : m_context->locale.toString(when, format));
    return true;
}

bool Walker::expandPhrase(const QString& reference, int depth) {
    if (depth >= PlaceholderFiller::maxDepth || m_filling.contains(reference)) return false;
    const std::optional<QString> body = resolve(reference);
    if (!body) return false;
    m_nestedRead += body->size();
    if (m_nestedRead > PlaceholderFiller::maxNestedReading) {
        complete = false;
        return true;
    }
    m_filling.append(reference);
    walk(*body, depth + 1);
    m_filling.removeLast();
    return true;
}

void Walker::addField(PlaceholderField field) {
    if (m_labels.contains(field.label)) return;
    m_labels.insert(field.label);
    fields.append(std::move(field));
}

std::optional<QString> Walker::resolve(const QString& reference) {
    if (const auto known = m_resolved.constFind(reference); known != m_resolved.cend())
        return *known;
    std::optional<QString> body;
    if (m_lookup) {
        qsizetype slash = reference.indexOf(u'/');
        for (int tried = 0; slash > 0 && tried < maxReferenceSplits && !body; ++tried) {
            body = m_lookup(reference.left(slash), reference.mid(slash + 1));
            slash = reference.indexOf(u'/', slash + 1);
        }
    }
    m_resolved.insert(reference, body);
    return body;
}

}  // namespace

bool PlaceholderFiller::mayHavePlaceholders(const QString& body) {
    return body.contains(u'{') || body.contains(u'}');
}

PlaceholderFiller::Needs PlaceholderFiller::needs(const QString& body, const PhraseLookup& lookup) {
    Walker walker(lookup, nullptr);
    walker.walk(body, 0);
    return {walker.fields, walker.usesClipboard};
}

FilledPhrase PlaceholderFiller::fill(const QString& body, const FillContext& context) {
    if (!mayHavePlaceholders(body)) return {body, 0, false, true};
    Walker walker(context.lookup, &context);
    walker.walk(body, 0);
    FilledPhrase filled;
    filled.complete = walker.complete;
    filled.hasCursor = walker.cursorAt >= 0;
    if (filled.hasCursor)
        filled.caretLeft = caretLeftOf(QStringView(walker.out).mid(walker.cursorAt));
    filled.text = std::move(walker.out);
    return filled;
}

}  // namespace quillet
