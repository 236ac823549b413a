#pragma once
// A PDF read back as words with their boxes (points, from the paper's top-left
// corner) through "pdftotext -bbox".

#include <QtCore>

#include <vector>

namespace sw {

struct PdfWord
{
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    QString text;
};

struct PdfPage
{
    double width = 0, height = 0;
    std::vector<PdfWord> words;

    const PdfWord *find(const QString &text, int nth = 0) const
    {
        for (const PdfWord &w : words)
            if (w.text == text && nth-- == 0)
                return &w;
        return nullptr;
    }
    // The texts of the words that keep(word) accepts, in reading order.
    template <class Keep>
    QStringList texts(Keep keep) const
    {
        QStringList kept;
        for (const PdfWord &w : words)
            if (keep(w))
                kept << w.text;
        return kept;
    }
    // The words on the line of the given word (same top, within half a point).
    QStringList lineOf(const PdfWord &at) const
    {
        return texts([&at](const PdfWord &w) { return qAbs(w.yMin - at.yMin) < 0.5; });
    }
};

// Empty when the file cannot be read.
inline std::vector<PdfPage> readPdfWords(const QString &pdf)
{
    std::vector<PdfPage> pages;
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return pages;
    QXmlStreamReader xml(p.readAllStandardOutput());
    const auto a = [&xml](const char *name) { return xml.attributes().value(QLatin1String(name)).toDouble(); };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page"))
            pages.push_back({a("width"), a("height"), {}});
        else if (xml.name() == QLatin1String("word") && !pages.empty())
            // Ligatures ("ffi") come back as one character; compare plain letters.
            pages.back().words.push_back({a("xMin"), a("yMin"), a("xMax"), a("yMax"),
                                          xml.readElementText().normalized(QString::NormalizationForm_KC)});
    }
    return pages;
}

} // namespace sw
