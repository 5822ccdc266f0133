#pragma once

// A multi-line text box's bytes as its widget shows them: each line break (CR LF, a lone CR or a
// lone LF) is one character of the widget. Knows where the two-byte breaks are, so that a
// position maps either way in logarithmic time and an append costs the time of what is appended.

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix::app {

class ShownText {
public:
    // The whole text changes; returns what the widget shows.
    QString reset(std::string_view bytes);
    // The whole text changes to what the widget already shows.
    void reindex(std::string_view bytes);
    // Bytes are added at the end; returns what the widget adds at its end (a LF completing a CR
    // that ended the text adds nothing).
    QString append(std::string_view bytes);

    std::size_t byteCount() const { return bytes_; }
    std::size_t shownCount() const { return bytes_ - pairs_.size(); }
    std::size_t toShown(std::size_t bytePosition) const;
    std::size_t toBytes(std::size_t shownPosition) const;

private:
    std::vector<std::size_t> pairs_;  // where each CR LF starts, in bytes
    std::size_t bytes_ = 0;
    bool endsWithCr_ = false;
};

// What the widget holds as bytes: its line breaks become CR LF.
std::string bytesOfShown(const QString& shown);

}  // namespace kestrix::app
