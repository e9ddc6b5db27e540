#pragma once
// Reads printed pages back the way a user's viewer would: poppler's tools render a page, list
// its images, and extract its words with their places. Nothing here trusts the program's own
// numbers.

#include <QImage>
#include <QRect>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

// Standard output of a shell command; empty when it could not run.
inline std::string Capture(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

inline std::string Quoted(const std::string& path)
{
    return "'" + path + "'";
}

// One page at the resolution, optionally only the crop (in rendered pixels).
inline QImage RenderPage(const std::string& pdf, int dpi, const std::string& stem, int page = 1, QRect crop = {})
{
    std::string command = "pdftoppm -r " + std::to_string(dpi) + " -f " + std::to_string(page) + " -l " +
                          std::to_string(page) + " -png -singlefile";
    if (!crop.isNull())
        command += " -x " + std::to_string(crop.x()) + " -y " + std::to_string(crop.y()) + " -W " +
                   std::to_string(crop.width()) + " -H " + std::to_string(crop.height());
    command += " " + Quoted(pdf) + " " + Quoted(stem) + " 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        return QImage();
    return QImage(QString::fromStdString(stem + ".png")).convertToFormat(QImage::Format_RGB32);
}

// The paper poppler names for the first page, as "A3"; empty for other sizes.
inline std::string PdfPaper(const std::string& pdf)
{
    const std::string info = Capture("pdfinfo " + Quoted(pdf) + " 2>/dev/null");
    std::smatch m;
    return std::regex_search(info, m, std::regex("Page size:[^(\\n]*\\((\\w+)\\)")) ? std::string(m[1]) : "";
}

inline int PdfPages(const std::string& pdf)
{
    const std::string info = Capture("pdfinfo " + Quoted(pdf) + " 2>/dev/null");
    std::smatch m;
    return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : 0;
}

// The encoding of every image the PDF holds ("image" is lossless Flate, "jpeg" is DCT).
inline std::vector<std::string> PdfImageEncodings(const std::string& pdf)
{
    const std::string list = Capture("pdfimages -list " + Quoted(pdf) + " 2>/dev/null");
    std::vector<std::string> encodings;
    size_t line = 0;
    for (size_t at = 0, end; at < list.size(); at = end + 1, ++line) {
        end = list.find('\n', at);
        if (end == std::string::npos)
            end = list.size();
        if (line < 2)
            continue; // the header and its rule
        std::vector<std::string> fields;
        std::istringstream row(list.substr(at, end - at));
        for (std::string f; row >> f;)
            fields.push_back(f);
        if (fields.size() > 8)
            encodings.push_back(fields[8]);
    }
    return encodings;
}

inline std::string PdfText(const std::string& pdf, int page)
{
    const std::string p = std::to_string(page);
    return Capture("pdftotext -f " + p + " -l " + p + " " + Quoted(pdf) + " - 2>/dev/null");
}

inline std::string WithoutSpaces(std::string text)
{
    std::erase_if(text, [](char c) { return c == ' ' || c == '\n' || c == '\f'; });
    return text;
}

struct PdfWord {
    double xMin, yMin, xMax, yMax; // points from the page's top left
    std::string text;
};

inline std::vector<PdfWord> PdfWords(const std::string& pdf, int page)
{
    const std::string p = std::to_string(page);
    const std::string html = Capture("pdftotext -bbox -f " + p + " -l " + p + " " + Quoted(pdf) + " - 2>/dev/null");
    static const std::regex word(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
    std::vector<PdfWord> words;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator(); ++it)
        words.push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4]), (*it)[5]});
    return words;
}

// Centres of the dark runs across one row, each weighted by its darkness.
inline std::vector<double> DarkRunCentres(const QImage& image, int row, int threshold = 160)
{
    std::vector<double> centres;
    double weight = 0, moment = 0;
    for (int x = 0; x <= image.width(); ++x) {
        const int grey = x < image.width() ? qGray(image.pixel(x, row)) : 255;
        if (grey < threshold) {
            weight += 255 - grey;
            moment += (255 - grey) * (x + 0.5);
        } else if (weight > 0) {
            centres.push_back(moment / weight);
            weight = moment = 0;
        }
    }
    return centres;
}

// The first and last dark column of a row within from..to-1; (-1, -1) when none is.
inline std::pair<int, int> InkExtent(const QImage& image, int row, int from, int to, int threshold = 160)
{
    std::pair<int, int> extent{-1, -1};
    for (int x = std::max(from, 0); x < std::min(to, image.width()); ++x)
        if (qGray(image.pixel(x, row)) < threshold) {
            if (extent.first < 0)
                extent.first = x;
            extent.second = x;
        }
    return extent;
}

// The width of ink across columns from..to-1 of a row, in pixels: coverage summed.
inline double InkWidth(const QImage& image, int row, int from, int to)
{
    double ink = 0;
    for (int x = std::max(from, 0); x < std::min(to, image.width()); ++x)
        ink += (255 - qGray(image.pixel(x, row))) / 255.0;
    return ink;
}

// A box on a page, in points from its top left.
struct PdfBox {
    double left, top, right, bottom;
    double CentreX() const { return (left + right) / 2; }
    double CentreY() const { return (top + bottom) / 2; }
    bool Overlaps(const PdfBox& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
};

// One drawn path of a page as poppler's cairo backend writes it to SVG: its subpaths' points in
// points from the page's top left, whether it has curves, and its stroke colour ("" when none).
struct PdfPath {
    std::vector<std::vector<std::pair<double, double>>> subpaths;
    std::vector<int> curves; // curve segments per subpath
    std::string stroke;
    std::string style; // the whole style attribute: width, dashes
};

inline std::vector<PdfPath> PdfPaths(const std::string& pdf, int page, const std::string& stem)
{
    const std::string p = std::to_string(page);
    const std::string svgFile = stem + ".svg";
    if (std::system(("pdftocairo -svg -f " + p + " -l " + p + " " + Quoted(pdf) + " " + Quoted(svgFile) + " 2>/dev/null")
                        .c_str()) != 0)
        return {};
    std::string svg = Capture("cat " + Quoted(svgFile));
    // Glyph outlines live in <defs>; the page's own drawing follows it.
    if (const size_t defs = svg.find("</defs>"); defs != std::string::npos)
        svg.erase(0, defs);
    // Scanned by hand: a page's paths run to megabytes, too long for std::regex.
    const auto attribute = [](const std::string& element, const std::string& name) -> std::string {
        const size_t at = element.find(" " + name + "=\"");
        if (at == std::string::npos)
            return {};
        const size_t from = at + name.size() + 3;
        return element.substr(from, element.find('"', from) - from);
    };
    std::vector<PdfPath> paths;
    for (size_t at = svg.find("<path "); at != std::string::npos; at = svg.find("<path ", at + 1)) {
        const std::string element = svg.substr(at, svg.find('>', at) - at);
        const std::string data = attribute(element, "d");
        if (data.empty())
            continue;
        std::istringstream commands(data);
        double a = 1, b = 0, c = 0, e = 1, f = 0, g = 0; // x' = a x + c y + f, y' = b x + e y + g
        if (const std::string t = attribute(element, "transform"); t.rfind("matrix(", 0) == 0) {
            std::string list = t.substr(7);
            std::replace(list.begin(), list.end(), ',', ' ');
            std::replace(list.begin(), list.end(), ')', ' ');
            std::istringstream values(list);
            values >> a >> b >> c >> e >> f >> g;
        }
        PdfPath out;
        const std::string style = attribute(element, "style");
        out.style = style;
        if (const size_t st = style.find("stroke:rgb("); st != std::string::npos)
            out.stroke = style.substr(st + 7, style.find(')', st) - st - 6);
        std::string token;
        char command = 0;
        std::vector<double> numbers;
        const auto flush = [&] {
            const size_t per = command == 'C' ? 6 : 2;
            for (size_t i = 0; i + per <= numbers.size(); i += per) {
                if (command == 'M' || out.subpaths.empty()) {
                    out.subpaths.emplace_back();
                    out.curves.push_back(0);
                }
                for (size_t k = 0; k < per; k += 2)
                    out.subpaths.back().push_back({a * numbers[i + k] + c * numbers[i + k + 1] + f,
                                                   b * numbers[i + k] + e * numbers[i + k + 1] + g});
                out.curves.back() += command == 'C';
            }
            numbers.clear();
        };
        while (commands >> token) {
            if (std::isalpha(static_cast<unsigned char>(token[0]))) {
                flush();
                command = token[0];
            } else {
                numbers.push_back(std::stod(token));
            }
        }
        flush();
        paths.push_back(std::move(out));
    }
    return paths;
}

// Every circle of a page: subpaths made of four or more curves whose points span a square.
inline std::vector<PdfBox> PdfCircles(const std::vector<PdfPath>& paths)
{
    std::vector<PdfBox> circles;
    for (const PdfPath& path : paths)
        for (size_t i = 0; i < path.subpaths.size(); ++i) {
            if (path.curves[i] < 4)
                continue;
            PdfBox box{1e9, 1e9, -1e9, -1e9};
            for (auto [x, y] : path.subpaths[i]) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
            const double w = box.right - box.left, h = box.bottom - box.top;
            if (w > 0.5 && std::abs(w - h) < 0.1 * w)
                circles.push_back(box);
        }
    return circles;
}
