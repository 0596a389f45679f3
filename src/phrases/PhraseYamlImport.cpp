#include "phrases/PhraseYamlImport.h"

#include <yaml-cpp/eventhandler.h>
#include <yaml-cpp/yaml.h>

#include <QHash>
#include <QRegularExpression>
#include <sstream>

namespace quillet::PhraseYamlImport {

namespace {

using Result = PhraseCSVFile::ParseResult;
using Status = Result::Status;

// Thrown by the depth check and by the walk when the file asks for more than it holds.
struct Refused {
    Status status;
    QString reason;
    qsizetype line;
};

// Sees the file's events before any node is built, and refuses it past `maxDepth`.
class DepthCheck final : public YAML::EventHandler {
public:
    void OnDocumentStart(const YAML::Mark&) override {}
    void OnDocumentEnd() override {}
    void OnNull(const YAML::Mark&, YAML::anchor_t) override {}
    void OnAlias(const YAML::Mark&, YAML::anchor_t) override {}
    void OnScalar(const YAML::Mark&, const std::string&, YAML::anchor_t,
                  const std::string&) override {}
    void OnSequenceStart(const YAML::Mark& mark, const std::string&, YAML::anchor_t,
                         YAML::EmitterStyle::value) override {
        enter(mark);
    }
    void OnSequenceEnd() override { --m_depth; }
    void OnMapStart(const YAML::Mark& mark, const std::string&, YAML::anchor_t,
                    YAML::EmitterStyle::value) override {
        enter(mark);
    }
    void OnMapEnd() override { --m_depth; }

private:
    void enter(const YAML::Mark& mark) {
        if (++m_depth > maxDepth)
            throw Refused{Status::Malformed,
                          QStringLiteral("nested deeper than %1 levels").arg(maxDepth),
                          mark.line + 1};
    }
    int m_depth = 0;
};

// Every node looked at and every text taken out is counted against the file's size: aliases
// let a small file name the same large node many times, and the walk stops before that
// costs more than reading the file itself.
class Walk {
public:
    // A file without aliases takes a few visits and at most a few reads of each of its bytes
    // (a variable is looked up again at each of its references); several times that is left
    // for legitimate reuse, and the walk stays linear in the file's size.
    explicit Walk(qsizetype fileBytes)
        : m_visitsLeft(8 * fileBytes + 4096), m_bytesLeft(4 * fileBytes + 64 * 1024) {}

    YAML::Node child(const YAML::Node& node, const char* key) {
        visit(node);
        if (!node.IsMap()) return YAML::Node(YAML::NodeType::Undefined);
        // A lookup compares every key of the map.
        m_visitsLeft -= qsizetype(node.size());
        const YAML::Node found = node[key];
        return found ? found : YAML::Node(YAML::NodeType::Undefined);
    }
    std::vector<YAML::Node> items(const YAML::Node& node) {
        visit(node);
        std::vector<YAML::Node> list;
        if (!node.IsSequence()) return list;
        for (const YAML::Node& item : node) {
            visit(item);
            list.push_back(item);
        }
        return list;
    }
    // The scalar's text; empty for anything else.
    QString text(const YAML::Node& node) {
        visit(node);
        if (!node.IsScalar()) return {};
        const std::string& scalar = node.Scalar();
        m_bytesLeft -= qsizetype(scalar.size());
        if (m_bytesLeft < 0) exhausted(node);
        return QString::fromStdString(scalar);
    }

private:
    void visit(const YAML::Node& node) {
        if (--m_visitsLeft < 0) exhausted(node);
    }
    [[noreturn]] static void exhausted(const YAML::Node& node) {
        throw Refused{Status::Malformed,
                      QStringLiteral("its aliases repeat more text than the file holds"),
                      node.Mark().is_null() ? 0 : node.Mark().line + 1};
    }
    qsizetype m_visitsLeft;
    qsizetype m_bytesLeft;
};

int lineOf(const YAML::Node& node) {
    return node.Mark().is_null() ? 0 : node.Mark().line + 1;
}

// Braces in text pasted as it is are doubled, so the filler leaves them alone.
QString literal(const QString& text) {
    QString escaped = text;
    escaped.replace(u'{', QStringLiteral("{{")).replace(u'}', QStringLiteral("}}"));
    return escaped;
}

// A label or choice value inside a placeholder: the characters that end its parts go.
QString placeholderPart(QString text) {
    text.remove(u'{').remove(u'}').remove(u'|').remove(u'=');
    return text.simplified();
}

struct Variable {
    QString type;
    YAML::Node params;
};

class Converter {
public:
    Converter(Walk& walk, QStringList& warnings) : m_walk(walk), m_warnings(warnings) {}

    void addVariables(const YAML::Node& list, QHash<QString, Variable>& into) {
        for (const YAML::Node& var : m_walk.items(list)) {
            const QString name = m_walk.text(m_walk.child(var, "name")).trimmed();
            if (name.isEmpty()) continue;
            into.insert(name, {m_walk.text(m_walk.child(var, "type")).trimmed(),
                               m_walk.child(var, "params")});
        }
    }

    // The body for `text` with its variables, for the entry at `line`.
    QString body(const QString& text, const QHash<QString, Variable>& vars, int line) {
        static const QRegularExpression reference(
            QStringLiteral(R"(\{\{\s*([A-Za-z0-9_\-]+)(?:\.([A-Za-z0-9_\-]+))?\s*\}\}|\$\|\$)"));
        QString out;
        qsizetype at = 0;
        for (auto it = reference.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            out += literal(text.mid(at, match.capturedStart() - at));
            at = match.capturedEnd();
            if (match.captured(0) == QLatin1String("$|$")) {
                out += QStringLiteral("{cursor}");
                continue;
            }
            out += variable(match.captured(1), match.captured(2), match.captured(0), vars, line);
        }
        return out + literal(text.mid(at));
    }

    // A form's layout: [[field]] becomes the field's placeholder.
    QString formLayout(const QString& layout, const YAML::Node& fields) {
        static const QRegularExpression field(QStringLiteral(R"(\[\[\s*([A-Za-z0-9_\-]+)\s*\]\])"));
        QString out;
        qsizetype at = 0;
        for (auto it = field.globalMatch(layout); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            out += literal(layout.mid(at, match.capturedStart() - at));
            at = match.capturedEnd();
            out += fieldPlaceholder(match.captured(1), fields);
        }
        return out + literal(layout.mid(at));
    }

private:
    QString variable(const QString& name, const QString& field, const QString& written,
                     const QHash<QString, Variable>& vars, int line) {
        const auto found = vars.constFind(name);
        if (found == vars.constEnd()) return literal(written);
        const Variable& var = *found;
        if (var.type == QLatin1String("date")) return date(var.params, line);
        if (var.type == QLatin1String("clipboard")) return QStringLiteral("{clipboard}");
        if (var.type == QLatin1String("echo"))
            return literal(m_walk.text(m_walk.child(var.params, "echo")));
        if (var.type == QLatin1String("choice") || var.type == QLatin1String("list"))
            return choice(name, m_walk.child(var.params, "values"));
        if (var.type == QLatin1String("form") && !field.isEmpty())
            return fieldPlaceholder(field, m_walk.child(var.params, "fields"));
        if (var.type == QLatin1String("shell") || var.type == QLatin1String("script")) {
            //% "Line %1: the variable \"%2\" runs a program (%3); it was imported as text and is never run."
            m_warnings << qtTrId("PHRASE_YAML_PROGRAM_VARIABLE").arg(line).arg(name, var.type);
            return literal(written);
        }
        //% "Line %1: the variable \"%2\" of type %3 has no counterpart here; it was imported as text."
        m_warnings << qtTrId("PHRASE_YAML_UNSUPPORTED_VARIABLE").arg(line).arg(name, var.type);
        return literal(written);
    }

    QString fieldPlaceholder(const QString& name, const YAML::Node& fields) {
        const YAML::Node described = m_walk.child(fields, name.toUtf8().constData());
        const QString type = m_walk.text(m_walk.child(described, "type"));
        if (type == QLatin1String("choice") || type == QLatin1String("list"))
            return choice(name, m_walk.child(described, "values"));
        return QStringLiteral("{input:%1}").arg(placeholderPart(name));
    }

    QString choice(const QString& name, const YAML::Node& values) {
        QStringList options;
        if (values.IsScalar()) {
            options = m_walk.text(values).split(u'\n', Qt::SkipEmptyParts);
        } else {
            for (const YAML::Node& value : m_walk.items(values)) {
                // A value is a text, or a map whose label is shown.
                options << (value.IsMap() ? m_walk.text(m_walk.child(value, "label"))
                                          : m_walk.text(value));
            }
        }
        QStringList kept;
        for (const QString& option : options)
            if (const QString part = placeholderPart(option); !part.isEmpty()) kept << part;
        return QStringLiteral("{choice:%1=%2}").arg(placeholderPart(name), kept.join(u'|'));
    }

    QString date(const YAML::Node& params, int line) {
        const QString format = m_walk.text(m_walk.child(params, "format"));
        QStringList unsupported;
        QString qt = qtDateFormat(format, &unsupported);
        qt.remove(u'{').remove(u'}');
        if (!unsupported.isEmpty())
            //% "Line %1: the date format \"%2\" uses %3, which has no counterpart here; kept as text."
            m_warnings << qtTrId("PHRASE_YAML_DATE_DIRECTIVE")
                              .arg(line)
                              .arg(format, unsupported.join(QStringLiteral(", ")));
        QString offset;
        bool number = false;
        const qint64 seconds = m_walk.text(m_walk.child(params, "offset")).toLongLong(&number);
        if (number && seconds != 0) {
            const auto signedText = [](qint64 n, char unit) {
                return (n > 0 ? QStringLiteral(" +") : QStringLiteral(" ")) + QString::number(n) +
                       QLatin1Char(unit);
            };
            if (seconds % 86400 == 0)
                offset = signedText(seconds / 86400, 'd');
            else
                offset = signedText(seconds / 3600, 'h');
        }
        if (qt.isEmpty() && offset.isEmpty()) return QStringLiteral("{date}");
        return QStringLiteral("{date:%1%2}").arg(qt, offset);
    }

    Walk& m_walk;
    QStringList& m_warnings;
};

// One entry of `matches:`; false when it has nothing to import.
bool convertMatch(Walk& walk, Converter& converter, const YAML::Node& match,
                  const QHash<QString, Variable>& globals, PhraseRow& row) {
    QString trigger = walk.text(walk.child(match, "trigger")).trimmed();
    if (trigger.isEmpty()) {
        for (const YAML::Node& each : walk.items(walk.child(match, "triggers"))) {
            trigger = walk.text(each).trimmed();
            if (!trigger.isEmpty()) break;
        }
    }
    const QString label = walk.text(walk.child(match, "label")).trimmed();
    QHash<QString, Variable> vars = globals;
    converter.addVariables(walk.child(match, "vars"), vars);
    const int line = lineOf(match);
    QString body;
    if (const YAML::Node form = walk.child(match, "form"); form.IsScalar()) {
        body = converter.formLayout(walk.text(form), walk.child(match, "form_fields"));
    } else {
        bool found = false;
        for (const char* key : {"replace", "markdown", "html"}) {
            const YAML::Node text = walk.child(match, key);
            if (!text.IsScalar()) continue;
            body = converter.body(walk.text(text), vars, line);
            found = true;
            break;
        }
        if (!found) return false;
    }
    row.title = label.isEmpty() ? trigger : label;
    row.abbreviation = trigger;
    row.body = std::move(body);
    return !row.title.isEmpty() || !row.body.isEmpty();
}

}  // namespace

QString qtDateFormat(const QString& format, QStringList* unsupported) {
    static const QHash<QChar, QString> padded{
        {u'Y', QStringLiteral("yyyy")}, {u'y', QStringLiteral("yy")},
        {u'm', QStringLiteral("MM")},   {u'd', QStringLiteral("dd")},
        {u'e', QStringLiteral("d")},    {u'H', QStringLiteral("HH")},
        {u'k', QStringLiteral("H")},    {u'I', QStringLiteral("hh")},
        {u'l', QStringLiteral("h")},    {u'M', QStringLiteral("mm")},
        {u'S', QStringLiteral("ss")},   {u'b', QStringLiteral("MMM")},
        {u'h', QStringLiteral("MMM")},  {u'B', QStringLiteral("MMMM")},
        {u'a', QStringLiteral("ddd")},  {u'A', QStringLiteral("dddd")},
        {u'p', QStringLiteral("AP")},   {u'P', QStringLiteral("ap")},
        {u'Z', QStringLiteral("t")},    {u'F', QStringLiteral("yyyy-MM-dd")},
        {u'T', QStringLiteral("HH:mm:ss")}, {u'R', QStringLiteral("HH:mm")},
        {u'D', QStringLiteral("MM/dd/yy")}};
    // "%-d" leaves the number unpadded.
    static const QHash<QChar, QString> unpadded{{u'm', QStringLiteral("M")},
                                                {u'd', QStringLiteral("d")},
                                                {u'H', QStringLiteral("H")},
                                                {u'I', QStringLiteral("h")},
                                                {u'M', QStringLiteral("m")},
                                                {u'S', QStringLiteral("s")}};
    QString out;
    QString text;  // literal text not yet written
    auto flushText = [&] {
        if (text.isEmpty()) return;
        bool needsQuotes = false;
        for (QChar c : text) needsQuotes = needsQuotes || c.isLetter() || c == u'\'';
        if (needsQuotes) {
            QString quoted = text;
            quoted.replace(u'\'', QStringLiteral("''"));
            out += u'\'' + quoted + u'\'';
        } else {
            out += text;
        }
        text.clear();
    };
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != u'%' || i + 1 >= format.size()) {
            text += format[i];
            continue;
        }
        bool noPadding = false;
        qsizetype at = i + 1;
        if (format[at] == u'-' && at + 1 < format.size()) {
            noPadding = true;
            ++at;
        }
        const QChar directive = format[at];
        i = at;
        if (directive == u'%') {
            text += u'%';
        } else if (directive == u'n') {
            text += u'\n';
        } else if (directive == u't') {
            text += u'\t';
        } else if (noPadding && unpadded.contains(directive)) {
            flushText();
            out += unpadded.value(directive);
        } else if (padded.contains(directive)) {
            flushText();
            out += padded.value(directive);
        } else {
            if (unsupported) *unsupported << u'%' + QString(directive);
            text += u'%' + QString(directive);
        }
    }
    flushText();
    return out;
}

Result parse(const QByteArray& bytes, const PhraseCSVFile::Limits& limits) {
    Result result;
    if (bytes.size() > limits.maxBytes) return PhraseCSVFile::refusal(Status::TooLarge);
    try {
        const std::string text = bytes.toStdString();
        {
            std::istringstream stream(text);
            YAML::Parser parser(stream);
            DepthCheck check;
            parser.HandleNextDocument(check);
        }
        const YAML::Node root = YAML::Load(text);
        Walk walk(bytes.size());
        Converter converter(walk, result.warnings);
        QHash<QString, Variable> globals;
        converter.addVariables(walk.child(root, "global_vars"), globals);
        for (const YAML::Node& match : walk.items(walk.child(root, "matches"))) {
            PhraseRow row;
            if (!convertMatch(walk, converter, match, globals, row)) {
                //% "Line %1: an entry without a trigger or a text to paste was skipped."
                result.warnings << qtTrId("PHRASE_YAML_SKIPPED_MATCH").arg(lineOf(match));
                continue;
            }
            if (qsizetype(row.body.toUtf8().size()) > limits.parser.maxFieldBytes)
                return PhraseCSVFile::refusal(Status::FieldTooLong, {}, lineOf(match));
            result.rows.push_back(std::move(row));
            if (qsizetype(result.rows.size()) > limits.parser.maxRows)
                return PhraseCSVFile::refusal(Status::TooManyRows, {}, lineOf(match));
        }
    } catch (const Refused& refused) {
        return PhraseCSVFile::refusal(refused.status, refused.reason, refused.line);
    } catch (const YAML::Exception& error) {
        return PhraseCSVFile::refusal(Status::Malformed, QString::fromStdString(error.msg),
                error.mark.is_null() ? 0 : error.mark.line + 1);
    } catch (const std::exception& error) {
        return PhraseCSVFile::refusal(Status::Malformed, QString::fromLocal8Bit(error.what()), 0);
    }
    if (result.rows.empty()) {
        result.status = Status::NoRows;
        result.warnings.clear();
    }
    return result;
}

}  // namespace quillet::PhraseYamlImport
