#pragma once
// Reads a PDF back as words with their boxes (points, from the paper's
// top-left corner) through "pdftotext -bbox".

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QXmlStreamReader>

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
    // The words on the line of the given word (same top, within half a point).
    QStringList lineOf(const PdfWord &at) const
    {
        QStringList l;
        for (const PdfWord &w : words)
            if (qAbs(w.yMin - at.yMin) < 0.5)
                l << w.text;
        return l;
    }
    QString allText() const
    {
        QStringList l;
        for (const PdfWord &w : words)
            l << w.text;
        return l.join(QLatin1Char(' '));
    }
};

inline bool havePdfToText()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

// Empty when the file cannot be read.
inline std::vector<PdfPage> readPdfWords(const QString &pdf)
{
    std::vector<PdfPage> pages;
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return pages;
    QXmlStreamReader xml(p.readAllStandardOutput());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("page")) {
            PdfPage pg;
            pg.width = a.value(QLatin1String("width")).toDouble();
            pg.height = a.value(QLatin1String("height")).toDouble();
            pages.push_back(pg);
        } else if (xml.name() == QLatin1String("word") && !pages.empty()) {
            PdfWord w;
            w.xMin = a.value(QLatin1String("xMin")).toDouble();
            w.yMin = a.value(QLatin1String("yMin")).toDouble();
            w.xMax = a.value(QLatin1String("xMax")).toDouble();
            w.yMax = a.value(QLatin1String("yMax")).toDouble();
            // Ligatures ("ffi") come back as one character; compare plain letters.
            w.text = xml.readElementText().normalized(QString::NormalizationForm_KC);
            pages.back().words.push_back(w);
        }
    }
    return pages;
}

} // namespace sw
