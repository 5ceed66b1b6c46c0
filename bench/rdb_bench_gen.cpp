// rdb_bench_gen: writes a report file of a given size for the benchmark,
// plain and gzip-compressed, the same bytes for the same size and seed.
//
//   rdb_bench_gen [--mix NAME] OUT.xml SIZE_MB [SEED]
//   rdb_bench_gen --list
//
// writes OUT.xml (SIZE_MB million bytes, give or take one table row) and
// OUT.xml.gz. The mix says what the file is made of (MIXES below; --list
// prints their names and groups). The default mix: most of the bytes are
// table rows with all four cell kinds and cell colours; between the tables
// stand summaries with gauges, charts, texts, embedded objects, waveforms
// and timing tables. The other mixes change the rows, the tables' lengths
// and what stands between them. Cell and element texts mix ASCII with some
// non-ASCII (two-, three- and four-byte UTF-8) and escaped characters. Every
// mix parses without errors or warnings and is valid against the schema.
#include <zlib.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// splitmix64: the same sequence on every platform and library.
class BENCH_RANDOM {
public:
    explicit BENCH_RANDOM(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, n).
    unsigned below(unsigned n) { return static_cast<unsigned>(next() % n); }
    bool chance(unsigned percent) { return below(100) < percent; }
    template <std::size_t N>
    const char* pick(const char* const (&items)[N])
    {
        return items[below(static_cast<unsigned>(N))];
    }

private:
    std::uint64_t m_state;
};

const char* const WORDS[] = {"clk",   "reset", "data",   "valid", "ready",  "addr",  "core",  "alu",
                             "fifo",  "state", "decode", "fetch", "cache",  "bus",   "pll",   "mux",
                             "reg",   "timer", "uart",   "spi",   "dma",    "irq",   "sram",  "phy"};
// Texts that need more than ASCII, or escaping, or both.
const char* const SPECIAL[] = {"Überlauf",      "délai",          "Zeitüberschreitung", "時計領域",
                               "\xF0\x9D\x9B\xBF-path",             // U+1D6FF: a surrogate pair
                               "a &amp; b",     "x &lt; y",       "&quot;quoted&quot;", "p &gt; q",
                               "Ω load",        "µs window",      "naïve fit"};
const char* const COLORS[] = {"red",     "green",   "blue",    "navy",    "teal",    "orange",
                              "#00ff80", "#ABCDEF", "#123",    "silver",  "maroon",  "#ffffff"};
const char* const DISPLAY_OPTIONS[] = {"ns", "ps", "mhz"};
const char* const CHART_TYPES[] = {"bar", "line", "pie", "scatter", "histogram"};
const char* const EMBEDDED_TYPES[] = {"generic", "image", "html", "text"};
const char* const SLACK_COLUMNS[] = {"slack", "required", "arrival", "from", "to", "skew"};

// What one mix of content is made of. The file is a run of sections: each
// is one table (a heading row of column titles, then data rows), with a
// summary, a chart and texts before it in every `m_extras_every`th section;
// a mix without cells has no tables and its sections are summaries alone.
struct BENCH_MIX {
    const char* m_name;
    // A data row's cells, one letter a cell: i iname_cell, s string_cell,
    // n int_cell, d delay_cell. Empty: no tables.
    const char* m_cells;
    unsigned m_foreground;  // percent of cells with a foreground colour
    unsigned m_background;  // percent of cells with a background colour
    unsigned m_rows_least;  // data rows a table, from least to most
    unsigned m_rows_most;
    bool m_heading;           // a heading row of column titles
    unsigned m_extras_every;  // a summary, a chart and texts before every Nth table; 0: none
    unsigned m_elements;      // elements a summary
    unsigned m_gauges;        // gauges a summary
    // The benchmark's groups: the matrix of report mixes, and the files of
    // a single kind of content.
    bool m_matrix;
    bool m_single_kind;
};

// clang-format off
const BENCH_MIX MIXES[] = {
    // name          cells       fg   bg   rows        heading extras elements gauges matrix single
    // The file the benchmark began with: long tables of every cell kind.
    {"default",      "issnndd",   40,  25, 2000, 2000, true,   1,     8,       4,     true,  false},
    // Many short tables (about 3 800 rows and 4 300 colours a MB), a
    // summary, a chart and texts before every 30th.
    {"small-tables", "isnnn",     15,   7,    2,    8, false, 30,     8,       4,     true,  false},
    // One kind of content each; the first three are in the matrix too.
    {"strings",      "ssssss",     0,   0, 2000, 2000, true,   0,     0,       0,     true,  true},
    {"narrow",       "nn",         0,   0, 2000, 2000, true,   0,     0,       0,     true,  true},
    {"gauges",       "",           0,   0,    0,    0, false,  0,     0,     200,     true,  true},
    {"ints",         "nnnnnnnn",   0,   0, 2000, 2000, true,   0,     0,       0,     false, true},
    {"int-colours",  "nnnnnnnn", 100, 100, 2000, 2000, true,   0,     0,       0,     false, true},
    {"delays",       "dddd",       0,   0, 2000, 2000, true,   0,     0,       0,     false, true},
    {"inames",       "iiii",       0,   0, 2000, 2000, true,   0,     0,       0,     false, true},
    {"tiny-tables",  "isnd",       0,   0,    2,    2, false,  0,     0,       0,     false, true},
};
// clang-format on

const BENCH_MIX* find_mix(const std::string& name)
{
    for (const BENCH_MIX& mix : MIXES)
        if (name == mix.m_name)
            return &mix;
    return nullptr;
}

template <std::size_t N>
const char* nth_of(const char* const (&items)[N], unsigned nth)
{
    return items[nth % N];
}

// The title of a column in the heading row: the n-th column of its kind.
const char* column_title(char kind, unsigned nth)
{
    static const char* const INAME[] = {"Instance", "Driver", "Load", "Endpoint"};
    static const char* const STRING[] = {"From", "To", "Clock", "Group", "Module", "Net"};
    static const char* const INT[] = {"Count", "Fanout", "Levels", "Cells", "Pins", "Nets", "Loads", "Bits"};
    static const char* const DELAY[] = {"Slack", "Delay", "Required", "Arrival"};
    switch (kind) {
    case 'i':
        return nth_of(INAME, nth);
    case 's':
        return nth_of(STRING, nth);
    case 'n':
        return nth_of(INT, nth);
    default:
        return nth_of(DELAY, nth);
    }
}

class BENCH_WRITER {
public:
    BENCH_WRITER(const BENCH_MIX& mix, std::uint64_t seed, std::uint64_t target)
        : m_mix(mix), m_random(seed), m_target(target)
    {
    }

    // Appends the next piece of the document to `out`; false once the
    // document is complete.
    bool next_piece(std::string& out);

private:
    void word_text(std::string& out, unsigned words);
    void cell_colors(std::string& out);
    void cell(std::string& out, char kind);
    void row(std::string& out);
    void table(std::string& out, const char* element, unsigned index);
    void summary(std::string& out, unsigned index);
    void chart(std::string& out, unsigned index);
    void others(std::string& out, unsigned index);
    void table_section(std::string& out, unsigned index);
    void number(std::string& out, long value) { out += std::to_string(value); }

    const BENCH_MIX& m_mix;
    BENCH_RANDOM m_random;
    std::uint64_t m_target;
    std::uint64_t m_written = 0;
    unsigned m_section = 0;
    bool m_started = false;
    bool m_done = false;
};

void BENCH_WRITER::word_text(std::string& out, unsigned words)
{
    for (unsigned i = 0; i < words; ++i) {
        if (i != 0)
            out += m_random.chance(50) ? "/" : " ";
        if (m_random.chance(4))
            out += m_random.pick(SPECIAL);
        else
            out += m_random.pick(WORDS);
        if (m_random.chance(30)) {
            out += '_';
            number(out, m_random.below(64));
        }
    }
}

// A colour is drawn only in a mix that has colours: the default mix draws
// as the file always has (the same bytes for the same seed), and the others
// spend no draws on colours they never write.
void BENCH_WRITER::cell_colors(std::string& out)
{
    if (m_mix.m_foreground != 0 && m_random.chance(m_mix.m_foreground)) {
        out += " foreground=\"";
        out += m_random.pick(COLORS);
        out += '"';
    }
    if (m_mix.m_background != 0 && m_random.chance(m_mix.m_background)) {
        out += " background=\"";
        out += m_random.pick(COLORS);
        out += '"';
    }
}

void BENCH_WRITER::cell(std::string& out, char kind)
{
    const char* element = kind == 'i'   ? "iname_cell"
                          : kind == 's' ? "string_cell"
                          : kind == 'n' ? "int_cell"
                                        : "delay_cell";
    out += '<';
    out += element;
    cell_colors(out);
    out += '>';
    switch (kind) {
    case 'i':
        out += "top/";
        word_text(out, 2 + m_random.below(3));
        break;
    case 's': word_text(out, 1 + m_random.below(4)); break;
    case 'n': number(out, static_cast<long>(m_random.below(200000)) - 1000); break;
    default:
        out += "<delay>";
        number(out, static_cast<long>(m_random.below(50000)) - 5000);
        out += "</delay><display_option>";
        out += m_random.pick(DISPLAY_OPTIONS);
        out += "</display_option>";
        break;
    }
    out += "</";
    out += element;
    out += '>';
}

// One data row: the mix's cells in their order.
void BENCH_WRITER::row(std::string& out)
{
    out += "    <row>";
    for (const char* kind = m_mix.m_cells; *kind != 0; ++kind)
        cell(out, *kind);
    out += "</row>\n";
}

void BENCH_WRITER::table(std::string& out, const char* element, unsigned index)
{
    out += "  <";
    out += element;
    out += " name=\"Table ";
    number(out, index);
    out += "\" parent=\"tables\" creator=\"sta\" enabled=\"true\" enable_fled=\"";
    out += m_random.chance(50) ? "true" : "false";
    out += '"';
    if (std::strcmp(element, "tan_slack_table") == 0)
        out += " analysis_type=\"2\"";
    if (std::strcmp(element, "tan_spd_table") == 0)
        out += " show_min=\"TRUE\"";
    out += ">\n    <header>Paths of ";
    word_text(out, 3);
    out += "</header>\n";
    if (std::strcmp(element, "tan_slack_table") == 0) {
        out += "    <column_types_map>";
        for (unsigned i = 0; i < 4; ++i) {
            out += "<column id=\"";
            number(out, i);
            out += "\" type=\"";
            out += m_random.pick(SLACK_COLUMNS);
            out += "\"/>";
        }
        out += "</column_types_map>\n    <restricted_to>";
        number(out, m_random.below(1000));
        out += "</restricted_to>\n";
    }
    if (!m_mix.m_heading)
        return;
    // The column titles, as reports write them: what rules and --sort name.
    out += "    <row>";
    unsigned seen[256] = {};
    for (const char* kind = m_mix.m_cells; *kind != 0; ++kind) {
        out += "<string_cell>";
        out += column_title(*kind, seen[static_cast<unsigned char>(*kind)]++);
        out += "</string_cell>";
    }
    out += "</row>\n";
}

void BENCH_WRITER::summary(std::string& out, unsigned index)
{
    out += "  <summary name=\"Summary ";
    number(out, index);
    out += "\" parent=\"summaries\" creator=\"flow\" enabled=\"true\">\n    <header>";
    word_text(out, 4);
    out += "</header>\n";
    for (unsigned i = 0; i < m_mix.m_elements; ++i) {
        out += "    <element name=\"";
        word_text(out, 1);
        out += "\">";
        word_text(out, 1 + m_random.below(6));
        out += "</element>\n";
    }
    out += "    <gauges>\n";
    for (unsigned i = 0; i < m_mix.m_gauges; ++i) {
        out += "      <gauge name=\"";
        out += m_random.pick(WORDS);
        out += "\" percent=\"";
        out += m_random.chance(50) ? "true" : "false";
        out += "\" enabled=\"true\"><min>0</min><max>";
        unsigned max = 100 + m_random.below(10000);
        number(out, max);
        out += "</max><value>";
        number(out, m_random.below(max));
        out += "</value></gauge>\n";
    }
    out += "    </gauges>\n    <footer>end of summary</footer>\n  </summary>\n";
}

void BENCH_WRITER::chart(std::string& out, unsigned index)
{
    out += "  <chart name=\"Chart ";
    number(out, index);
    out += "\" parent=\"charts\" creator=\"flow\" enabled=\"true\" size=\"12\">\n";
    for (unsigned i = 0; i < 12; ++i) {
        out += "    <data name=\"";
        out += m_random.pick(WORDS);
        out += "\">";
        number(out, m_random.below(5000));
        out += "</data>\n";
    }
    out += "    <type>";
    out += m_random.pick(CHART_TYPES);
    out += "</type><x_label>";
    word_text(out, 2);
    out += "</x_label><y_label>";
    word_text(out, 2);
    out += "</y_label><show_labels>true</show_labels>\n  </chart>\n";
}

void BENCH_WRITER::others(std::string& out, unsigned index)
{
    out += "  <text name=\"Note ";
    number(out, index);
    out += "\" parent=\"main\" enabled=\"true\"><ascii_text>";
    word_text(out, 30 + m_random.below(30));
    out += "</ascii_text></text>\n";
    if (index % 4 == 0) {
        out += "  <embedded name=\"Page ";
        number(out, index);
        out += "\" parent=\"main\" enabled=\"true\" type=\"";
        out += m_random.pick(EMBEDDED_TYPES);
        out += "\"><info>pages/";
        out += m_random.pick(WORDS);
        out += ".html</info></embedded>\n";
        out += "  <waveform name=\"Wave ";
        number(out, index);
        out += "\" parent=\"main\" enabled=\"true\"><info>sim</info><source_vector>in.vec</source_vector>"
               "<result_vector>out.vec</result_vector><compare>yes</compare></waveform>\n";
    }
}

// One section of a mix with tables: the small objects when it is their
// turn, then one table of rows, cut short when the target size is reached.
void BENCH_WRITER::table_section(std::string& out, unsigned index)
{
    if (m_mix.m_extras_every != 0 && index % m_mix.m_extras_every == 0) {
        summary(out, index);
        chart(out, index);
        others(out, index);
    }
    const char* element = index % 10 == 3 ? "tan_slack_table" : index % 10 == 7 ? "tan_spd_table" : "table";
    table(out, element, index);
    unsigned rows = m_mix.m_rows_least;
    if (m_mix.m_rows_most > rows)
        rows += m_random.below(m_mix.m_rows_most - rows + 1);
    for (unsigned r = 0; r < rows; ++r) {
        row(out);
        if (m_written + out.size() >= m_target)
            break;
    }
    out += "    <footer>";
    number(out, rows);
    out += " paths</footer>\n  </";
    out += element;
    out += ">\n";
}

bool BENCH_WRITER::next_piece(std::string& out)
{
    out.clear();
    if (m_done)
        return false;
    if (!m_started) {
        m_started = true;
        out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- Benchmark report: generated, do not edit. -->\n"
               "<report>\n  <folders name=\"bench\">\n    <root name=\"main\">\n"
               "      <folder name=\"summaries\"/><folder name=\"charts\"/><folder name=\"tables\"/>\n"
               "    </root>\n  </folders>\n"
               "  <folder_ref name=\"summaries\" parent=\"main\" creator=\"bench\" enabled=\"true\"/>\n"
               "  <folder_ref name=\"charts\" parent=\"main\" creator=\"bench\" enabled=\"true\"/>\n"
               "  <folder_ref name=\"tables\" parent=\"main\" creator=\"bench\" enabled=\"true\"/>\n";
    } else {
        unsigned index = m_section++;
        if (*m_mix.m_cells == 0)
            summary(out, index);
        else
            table_section(out, index);
        if (m_written + out.size() >= m_target) {
            out += "</report>\n";
            m_done = true;
        }
    }
    m_written += out.size();
    return true;
}

int usage()
{
    std::fprintf(stderr, "usage: rdb_bench_gen [--mix NAME] OUT.xml SIZE_MB [SEED]\n"
                         "       rdb_bench_gen --list\n"
                         "mixes:");
    for (const BENCH_MIX& mix : MIXES)
        std::fprintf(stderr, " %s", mix.m_name);
    std::fprintf(stderr, "\n");
    return 2;
}

// One line a mix: its name and its groups, for the benchmark's runner.
int list_mixes()
{
    for (const BENCH_MIX& mix : MIXES)
        std::printf("%s%s%s\n", mix.m_name, mix.m_matrix ? " matrix" : "", mix.m_single_kind ? " single" : "");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0)
        return list_mixes();
    // --mix NAME may stand anywhere; the rest are the positional arguments.
    const BENCH_MIX* mix = find_mix("default");
    std::vector<const char*> args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--mix") == 0) {
            if (i + 1 >= argc)
                return usage();
            mix = find_mix(argv[++i]);
            if (mix == nullptr) {
                std::fprintf(stderr, "rdb_bench_gen: no mix named '%s'\n", argv[i]);
                return usage();
            }
        } else {
            args.push_back(argv[i]);
        }
    }
    if (args.size() < 2 || args.size() > 3)
        return usage();
    const std::string path = args[0];
    char* end = nullptr;
    double megabytes = std::strtod(args[1], &end);
    if (end == args[1] || *end != 0 || megabytes <= 0)
        return usage();
    std::uint64_t seed = 1;
    if (args.size() == 3) {
        seed = std::strtoull(args[2], &end, 10);
        if (end == args[2] || *end != 0)
            return usage();
    }

    std::FILE* plain = std::fopen(path.c_str(), "wb");
    if (plain == nullptr) {
        std::fprintf(stderr, "rdb_bench_gen: %s: %s\n", path.c_str(), std::strerror(errno));
        return 1;
    }
    const std::string gz_path = path + ".gz";
    gzFile gz = gzopen(gz_path.c_str(), "wb6");
    if (gz == nullptr) {
        std::fprintf(stderr, "rdb_bench_gen: cannot write %s\n", gz_path.c_str());
        std::fclose(plain);
        return 1;
    }
    gzbuffer(gz, 1 << 18);

    BENCH_WRITER writer(*mix, seed, static_cast<std::uint64_t>(megabytes * 1e6));
    std::string piece;
    bool ok = true;
    while (ok && writer.next_piece(piece)) {
        ok = std::fwrite(piece.data(), 1, piece.size(), plain) == piece.size() &&
             gzwrite(gz, piece.data(), static_cast<unsigned>(piece.size())) == static_cast<int>(piece.size());
    }
    ok = (std::fclose(plain) == 0) && ok;
    ok = (gzclose(gz) == Z_OK) && ok;
    if (!ok) {
        std::fprintf(stderr, "rdb_bench_gen: writing %s failed\n", path.c_str());
        return 1;
    }
    return 0;
}
