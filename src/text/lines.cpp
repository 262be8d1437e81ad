#include "text/lines.h"

#include "text/files.h"

QString R(int n, const QString& x) {
    return (QString(n, ' ') + x).right(n);
}

namespace lines {

std::vector<std::pair<qsizetype, qsizetype>> lineSpans(QByteArrayView bytes) {
    std::vector<std::pair<qsizetype, qsizetype>> spans;
    const char* base = bytes.data();
    forEachLine(bytes,
                [&](QByteArrayView line) { spans.emplace_back(line.data() - base, line.size()); });
    return spans;
}

QString decode(QByteArrayView bytes) {
    const auto differs = [](char c) { return uchar(c) >= 0x80 && uchar(c) <= 0x9f; };
    if (std::any_of(bytes.begin(), bytes.end(), differs))
        return files::decode(bytes.toByteArray());
    return QString::fromLatin1(bytes);
}

QString lastLine(QByteArrayView bytes) {
    qsizetype end = bytes.size();
    if (end > 0 && bytes[end - 1] == '\n')
        end -= end > 1 && bytes[end - 2] == '\r' ? 2 : 1;
    else if (end > 0 && bytes[end - 1] == '\r')
        --end;
    qsizetype start = end;
    while (start > 0 && bytes[start - 1] != '\n' && bytes[start - 1] != '\r')
        --start;
    return decode(bytes.sliced(start, end - start));
}

} // namespace lines
