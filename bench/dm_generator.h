#pragma once
// Generated DM files for the benchmarks: 84-byte records with CR LF line ends, written to a
// file in blocks so that even a file of a gigabyte never sits in memory whole.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace benchdm {

class DmWriter {
  public:
    explicit DmWriter(std::FILE* out = nullptr) : out_(out) { line_.fill(' '); }
    ~DmWriter() { flush(); }
    DmWriter(const DmWriter&) = delete;
    DmWriter& operator=(const DmWriter&) = delete;

    void field(int col, std::string_view text) {
        std::size_t at = static_cast<std::size_t>(col - 1);
        std::memcpy(line_.data() + at, text.data(), std::min(text.size(), line_.size() - at));
    }
    void number(int col, long v, int width) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "%*ld", width, v);
        field(col, buf);
    }
    void endLine() {
        text_.append(line_.data(), line_.size());
        text_ += "\r\n";
        line_.fill(' ');
        written_ += line_.size() + 2;
        if (out_ && text_.size() >= (std::size_t{8} << 20))
            flush();
    }
    void flush() {
        if (out_ && !text_.empty()) {
            std::fwrite(text_.data(), 1, text_.size(), out_);
            text_.clear();
        }
    }
    std::size_t written() const { return written_; }
    // The text written so far, for a writer without a file.
    const std::string& text() const { return text_; }

  private:
    std::FILE* out_;
    std::array<char, 84> line_;
    std::string text_;
    std::size_t written_ = 0;
};

class Random {
  public:
    long below(long n) {
        seed_ = seed_ * 1664525u + 1013904223u;
        return static_cast<long>((seed_ >> 8) % static_cast<std::uint32_t>(n));
    }

  private:
    std::uint32_t seed_ = 12345;
};

// The sheet record: 2 km × 1.5 km, coordinates in millimetres (unit code 1).
inline void sheet(DmWriter& w) {
    w.field(1, "M 99ZZ001 BENCH");
    w.field(66, " 1");
    w.endLine();
    w.field(1, "   7500  44000   9000  46000");
    w.field(45, "  1");
    w.endLine();
}

inline void group(DmWriter& w, int classCode, long elements) {
    w.field(1, "H ");
    w.number(3, classCode, 4);
    w.number(19, elements, 5);
    w.endLine();
}

// One "E1"/"E2" element with its two-dimensional coordinate lines (6 points a line);
// pts holds north, east pairs.
inline void element(DmWriter& w, const char* code, int classCode, const std::vector<long>& pts) {
    int n = static_cast<int>(pts.size() / 2);
    int lines = (n + 5) / 6;
    w.field(1, code);
    w.number(3, classCode, 4);
    w.field(21, "2");
    w.number(28, n, 4);
    w.number(32, lines, 4);
    w.endLine();
    for (int k = 0; k < lines * 6; ++k) {
        bool used = k < n;
        w.number(1 + (k % 6) * 14, used ? pts[2 * static_cast<std::size_t>(k)] : 0, 7);
        w.number(8 + (k % 6) * 14, used ? pts[2 * static_cast<std::size_t>(k) + 1] : 0, 7);
        if (k % 6 == 5)
            w.endLine();
    }
}

// A group of closed buildings (class 3001) inside the sheet.
inline void buildings(DmWriter& w, Random& r, int count) {
    group(w, 3000, count);
    for (int b = 0; b < count; ++b) {
        long n0 = 1000 + r.below(1480000), e0 = 1000 + r.below(1980000);
        long dn = 5000 + r.below(10000), de = 5000 + r.below(10000);
        element(w, "E1", 3001,
                {n0, e0, n0, e0 + de, n0 + dn / 2, e0 + de, n0 + dn / 2, e0 + de / 2, n0 + dn,
                 e0 + de / 2, n0 + dn, e0, n0, e0});
    }
}

// A group of 1000 roads (class 2101) of 60 points each.
inline void roads(DmWriter& w, Random& r) {
    const int count = 1000;
    group(w, 2100, count);
    for (int i = 0; i < count; ++i) {
        std::vector<long> pts;
        long n = r.below(1500000), e = r.below(2000000);
        for (int k = 0; k < 60; ++k) {
            n = std::clamp(n + r.below(4001) - 2000, 0L, 1500000L);
            e = std::clamp(e + r.below(4001) - 2000, 0L, 2000000L);
            pts.push_back(n);
            pts.push_back(e);
        }
        element(w, "E2", 2101, pts);
    }
}

// A group of 200 annotations ("E7", a text line each) and 100 circles and arcs of three
// points inside the sheet.
inline void notesAndCurves(DmWriter& w, Random& r) {
    group(w, 8100, 300);
    for (int i = 0; i < 200; ++i) {
        w.field(1, "E7");
        w.number(3, 8110, 4);
        w.field(21, "2");
        w.number(28, 4, 4);
        w.number(32, 1, 4);
        w.number(36, 10000 + r.below(1480000), 7);
        w.number(43, 10000 + r.below(1980000), 7);
        w.endLine();
        w.field(1, "0      0   30   15 5");
        w.field(21, "\x8E\x52\x90\xEC\x8B\xB4\x92\xAC");  // 山川橋町
        w.endLine();
    }
    for (int i = 0; i < 100; ++i) {
        const long n = 100000 + r.below(1300000), e = 100000 + r.below(1800000);
        const long radius = 1000 + r.below(50000);
        element(w, i % 2 ? "E3" : "E4", 2106, {n + radius, e, n, e + radius, n - radius, e});
    }
}

// A group of 1000 "E3" elements of 20 extra lines each (read and passed over by the
// conversion: they add nothing to the graphic database).
inline void extraLineElements(DmWriter& w, Random& r) {
    const int count = 1000;
    group(w, 7100, count);
    for (int i = 0; i < count; ++i) {
        w.field(1, "E3");
        w.number(3, 7101, 4);
        w.number(32, 20, 4);
        w.endLine();
        for (int k = 0; k < 20; ++k) {
            for (int p = 0; p < 4; ++p) {
                w.number(1 + p * 21, r.below(1500000), 7);
                w.number(8 + p * 21, r.below(2000000), 7);
                w.number(15 + p * 21, r.below(100000), 7);
            }
            w.endLine();
        }
    }
}

}  // namespace benchdm
