#include "settings/FeedReader.h"

#include <QElapsedTimer>
#include <string_view>

namespace quillet {

namespace {

// Tokens read between two looks at the clock; one token is bounded by the scan below.
constexpr int tokensPerClockCheck = 32;

}  // namespace

std::optional<QString> FeedReader::boundViolation(const QByteArray& body) {
    const std::string_view xml(body.constData(), size_t(body.size()));
    // Every encoding that writes ASCII with NUL bytes (UTF-16, UTF-32) would hide the markup
    // from this byte scan; XML never contains a NUL character.
    if (xml.find('\0') != std::string_view::npos)
        return QStringLiteral("The update feed is not UTF-8");
    int depth = 0;
    size_t at = 0;
    const auto skipPast = [&](std::string_view end, size_t from) {
        const size_t found = xml.find(end, from);
        return found == std::string_view::npos ? xml.size() : found + end.size();
    };
    while ((at = xml.find('<', at)) != std::string_view::npos) {
        const std::string_view rest = xml.substr(at);
        if (rest.starts_with("<!--")) {
            at = skipPast("-->", at + 4);
        } else if (rest.starts_with("<![CDATA[")) {
            at = skipPast("]]>", at + 9);
        } else if (rest.starts_with("<?")) {
            at = skipPast("?>", at + 2);
        } else if (rest.starts_with("<!")) {
            // The reader would refuse it too, but only after reading all of its declarations.
            return QStringLiteral("Document type declarations are not accepted");
        } else if (rest.starts_with("</")) {
            --depth;
            at = skipPast(">", at + 2);
        } else {
            // A start tag: attributes are counted by their '=' outside quoted values.
            int attributes = 0;
            char quote = 0;
            size_t end = at + 1;
            for (; end < xml.size(); ++end) {
                const char c = xml[end];
                if (quote) {
                    if (c == quote) quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '=') {
                    if (++attributes > maxAttributesPerElement)
                        return QStringLiteral(
                                   "An element of the update feed has more than %1 attributes")
                            .arg(maxAttributesPerElement);
                } else if (c == '>') {
                    break;
                }
                if (end - at > size_t(maxStartTagBytes))
                    return QStringLiteral("An element of the update feed is longer than %1 bytes")
                        .arg(maxStartTagBytes);
            }
            if (end < xml.size() && xml[end - 1] != '/' && ++depth > maxDepth)
                return QStringLiteral("The update feed nests elements deeper than %1")
                    .arg(maxDepth);
            at = end + 1;
        }
    }
    return std::nullopt;
}

FeedReader::FeedReader(const QByteArray& body) {
    // The fetch logs the refusal with every other failure.
    if (const auto violation = boundViolation(body)) {
        m_refused = UpdateCheckError::parseError(*violation);
        return;
    }
    // A complete body: the reader's errors are final, none waits for more data.
    m_xml.setNamespaceProcessing(false);
    m_xml.addData(body);
}

bool FeedReader::readFor(std::chrono::nanoseconds budget) {
    if (m_refused) return true;
    QElapsedTimer clock;
    clock.start();
    while (!m_xml.atEnd()) {
        for (int n = 0; n < tokensPerClockCheck && !m_xml.atEnd(); ++n) readToken();
        if (std::chrono::nanoseconds(clock.nsecsElapsed()) >= budget) break;
    }
    return m_xml.atEnd();
}

void FeedReader::readToken() {
    switch (m_xml.readNext()) {
        case QXmlStreamReader::DTD:
            m_xml.raiseError(QStringLiteral("Document type declarations are not accepted"));
            break;
        case QXmlStreamReader::StartElement: {
            QHash<QString, QString> attributes;
            for (const QXmlStreamAttribute& attribute : m_xml.attributes())
                attributes.insert(attribute.qualifiedName().toString(),
                                  attribute.value().toString());
            m_parser.startElement(m_xml.qualifiedName().toString(), attributes);
            break;
        }
        case QXmlStreamReader::Characters:
            // CDATA sections are not release notes.
            if (!m_xml.isCDATA()) m_parser.characters(m_xml.text());
            break;
        case QXmlStreamReader::EndElement:
            m_parser.endElement(m_xml.qualifiedName().toString());
            break;
        default:
            break;
    }
}

UpdateResult FeedReader::result() const {
    if (m_refused) return *m_refused;
    if (m_xml.hasError()) return UpdateCheckError::parseError(m_xml.errorString());
    if (const auto info = m_parser.result()) return *info;
    return UpdateCheckError::noUpdateFound();
}

}  // namespace quillet
