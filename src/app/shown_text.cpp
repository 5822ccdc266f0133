#include "app/shown_text.h"

#include <algorithm>

#include "platform/qt/latin1.h"

namespace kestrix::app {

QString ShownText::reset(std::string_view bytes) {
    pairs_.clear();
    bytes_ = 0;
    endsWithCr_ = false;
    return append(bytes);
}

void ShownText::reindex(std::string_view bytes) {
    pairs_.clear();
    for (std::size_t lf = bytes.find('\n', 1); lf != std::string_view::npos; lf = bytes.find('\n', lf + 1))
        if (bytes[lf - 1] == '\r') pairs_.push_back(lf - 1);
    bytes_ = bytes.size();
    endsWithCr_ = !bytes.empty() && bytes.back() == '\r';
}

QString ShownText::append(std::string_view bytes) {
    QString shown;
    shown.reserve(static_cast<qsizetype>(bytes.size()));
    bool afterCr = endsWithCr_;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\n' && afterCr) {
            pairs_.push_back(bytes_ + i - 1);
        } else if (c == '\r' || c == '\n') {
            shown += QLatin1Char('\n');
        } else {
            shown += QChar(static_cast<unsigned char>(c));
        }
        afterCr = c == '\r';
    }
    bytes_ += bytes.size();
    endsWithCr_ = afterCr;
    return shown;
}

std::size_t ShownText::toShown(std::size_t bytePosition) const {
    bytePosition = std::min(bytePosition, bytes_);
    if (bytePosition < 2) return bytePosition;
    // A pair counts once the position is past its LF.
    const auto passed = std::upper_bound(pairs_.begin(), pairs_.end(), bytePosition - 2) - pairs_.begin();
    return bytePosition - static_cast<std::size_t>(passed);
}

std::size_t ShownText::toBytes(std::size_t shownPosition) const {
    shownPosition = std::min(shownPosition, shownCount());
    // Pair i shows as the single character at pairs_[i] - i; count the pairs before the position.
    std::size_t low = 0, high = pairs_.size();
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (pairs_[middle] - middle < shownPosition) low = middle + 1;
        else high = middle;
    }
    return shownPosition + low;
}

std::string bytesOfShown(const QString& shown) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(shown.size()));
    for (const QChar c : shown) {
        if (c == QLatin1Char('\n') || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) bytes += "\r\n";
        else bytes += platform::qt::toByte(c);
    }
    return bytes;
}

}  // namespace kestrix::app
