#include "tools/demo/DemoProduct.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/medium/Error.h"

namespace demo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// splitmix64, seeded from the file's name: a file's content does not depend on the order in
// which the others are written.
class Random {
 public:
  explicit Random(const std::string& seed) {
    for (unsigned char c : seed) state_ = (state_ ^ c) * 0x100000001b3ULL;
  }
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  int Below(int limit) { return static_cast<int>(Next() % static_cast<std::uint64_t>(limit)); }

 private:
  std::uint64_t state_ = 0xcbf29ce484222325ULL;
};

void Write(const fs::path& path, const Bytes& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw medium::Error("cannot write " + path.string());
}

void Write(const fs::path& path, const std::string& text) {
  Write(path, Bytes(text.begin(), text.end()));
}

void Put16(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// A 24-bit uncompressed BMP: diagonal bands of two colours with a frame, the kind of picture
// that compresses as real drawings do.
Bytes Bitmap(int width, int height, const std::string& seed) {
  Random random(seed);
  const std::uint8_t a[3] = {static_cast<std::uint8_t>(random.Below(256)),
                             static_cast<std::uint8_t>(random.Below(256)),
                             static_cast<std::uint8_t>(random.Below(256))};
  const std::uint8_t b[3] = {static_cast<std::uint8_t>(255 - a[0]),
                             static_cast<std::uint8_t>(255 - a[1]),
                             static_cast<std::uint8_t>(255 - a[2])};
  const int band = 2 + random.Below(6);
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
  const std::uint32_t pixels = stride * static_cast<std::uint32_t>(height);
  Bytes out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + pixels);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);  // BI_RGB
  Put32(out, pixels);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = 0; y < height; ++y) {
    std::size_t rowStart = out.size();
    for (int x = 0; x < width; ++x) {
      bool frame = x == 0 || y == 0 || x == width - 1 || y == height - 1;
      const std::uint8_t* colour = ((x + y) / band) % 2 == 0 ? a : b;
      for (int c = 0; c < 3; ++c) out.push_back(frame ? 0 : colour[c]);
    }
    out.resize(rowStart + stride, 0);
  }
  return out;
}

// A table of part dimensions, as the library's data files hold them.
std::string PartTable(const std::string& family, int index, Random& random) {
  char line[160];
  std::snprintf(line, sizeof line,
                "; Tolvek demo - %s, table %03d\r\n; size     d      l      k      s\r\n",
                family.c_str(), index);
  std::string text = line;
  const int rows = 40 + random.Below(700);
  for (int row = 0; row < rows; ++row) {
    const int d = 2 + random.Below(62);
    std::snprintf(line, sizeof line, "M%-4d %6.2f %6d %6.2f %6.2f\r\n", d, d * 1.0,
                  5 * (1 + random.Below(40)), d * 0.7, d * 1.5 + random.Below(4));
    text += line;
  }
  return text;
}

const char* const kReadme =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\r\n"
    "{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}\r\n"
    "\\f0\\fs20\r\n"
    "{\\b\\fs28 Tolvek 4 - versione dimostrativa\\par}\r\n"
    "\\par\r\n"
    "Questa \\'e8 la versione dimostrativa della libreria parametrica Tolvek per AutoCAD. "
    "Contiene pochi elementi di ogni famiglia e serve a provare l'installazione.\\par\r\n"
    "\\par\r\n"
    "{\\b Dopo l'installazione}\\par\r\n"
    "Avviare AutoCAD: la barra degli strumenti {\\i Tolvek} offre due tasti.\\par\r\n"
    "Il primo posiziona un elemento nel disegno (comando {\\f1 TOLVEK}), il secondo apre la "
    "libreria (comando {\\f1 RUNTOLVEK}).\\par\r\n"
    "\\par\r\n"
    "{\\b Cartelle}\\par\r\n"
    "{\\f1 C:\\\\Tolvek4\\\\Parts} - i dati degli elementi, una cartella per costruttore\\par\r\n"
    "{\\f1 C:\\\\Tolvek4\\\\Help} - questo file e la guida\\par\r\n"
    "{\\f1 C:\\\\Tolvek4\\\\UserParts} - gli elementi creati dall'utente\\par\r\n"
    "\\par\r\n"
    "{\\i This demo holds a few parts of each family and exists to try the installation.}\\par\r\n"
    "}\r\n";

const char* const kAcadHelp =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20\r\n"
    "{\\b Tolvek in AutoCAD}\\par\r\n"
    "TOLVEK: posiziona l'elemento scelto.\\par\r\n"
    "RUNTOLVEK: richiama la libreria parametrica.\\par\r\n"
    "}\r\n";

const char* const kLisp =
    ";;; tolvek.lsp - Tolvek demo for AutoCAD\r\n"
    ";;; TOLVEK places the chosen part, RUNTOLVEK starts the parametric library.\r\n"
    "(defun c:tolvek ()\r\n"
    "  (princ \"\\nTolvek: versione dimostrativa, nessun elemento da posizionare.\")\r\n"
    "  (princ)\r\n"
    ")\r\n"
    "(defun c:runtolvek ()\r\n"
    "  (startapp \"c:\\\\tolvek4\\\\tolvek.exe\")\r\n"
    "  (princ)\r\n"
    ")\r\n"
    "(princ)\r\n";

const char* const kFamilies[] = {"harvo", "vimora",  "quessa",    "dulma",
                                 "kx",    "corvani", "pneumatica"};

}  // namespace

void MakeDemoProduct(const fs::path& folder, const DemoSize& size) {
  if (fs::exists(folder) && !fs::is_empty(folder)) {
    throw medium::Error("the demo product folder " + folder.string() + " is not empty");
  }
  Write(folder / "TOLVEK.EXE",
        "MZ Tolvek 4 demo: stand-in for the parametric library's program.\r\n");
  Write(folder / "tolvek.ini", "[Tolvek]\r\nVersione=4.0 demo\r\nParts=C:\\Tolvek4\\Parts\r\n");
  Write(folder / "leggimi.txt", "Tolvek 4, versione dimostrativa. Vedere help\\readme.rtf.\r\n");

  Write(folder / "Acrobat" / "manuale.txt",
        "Il manuale in formato PDF sostituisce questo file.\r\n");
  Write(folder / "Cfg" / "tolvek.cfg", "lingua=1\r\nunita=mm\r\nscala=1.0\r\n");
  Write(folder / "Cfg" / "materiali.cfg", "acciaio=7.85\r\nottone=8.50\r\nalluminio=2.70\r\n");
  Write(folder / "Help" / "readme.rtf", kReadme);
  Write(folder / "Help" / "indice.txt", "readme.rtf\r\n");
  Write(folder / "help-acad" / "acad.rtf", kAcadHelp);
  Write(folder / "Tol" / "iso286.tol",
        "; ISO 286 fits, demo excerpt\r\nH7 0 +0.015\r\ng6 -0.005 -0.014\r\n");

  Write(folder / "autocad" / "tkicon1.bmp", Bitmap(16, 16, "tkicon1"));
  Write(folder / "autocad" / "tkicon2.bmp", Bitmap(16, 16, "tkicon2"));
  Write(folder / "autocad" / "tolvek.lsp", kLisp);

  for (const char* family : kFamilies) {
    std::string name = family;
    name[0] = static_cast<char>(name[0] - 'a' + 'A');
    for (int i = 1; i <= size.partFilesPerFolder; ++i) {
      char file[32];
      std::snprintf(file, sizeof file, "%s%03d.tab", family, i);
      Random random(file);
      Write(folder / "Parts" / name / file, PartTable(family, i, random));
    }
  }
  const fs::path pictureFolders[] = {folder / "Images", folder / "Parts" / "Img",
                                     folder / "Parts" / "Pneumatica" / "Img"};
  for (const fs::path& pictures : pictureFolders) {
    for (int i = 1; i <= size.picturesPerFolder; ++i) {
      std::string name = "pic" + std::to_string(i) + ".bmp";
      std::string seed = pictures.generic_string().substr(folder.generic_string().size()) + name;
      Random random(seed);
      Write(pictures / name, Bitmap(40 + random.Below(120), 30 + random.Below(90), seed));
    }
  }
  for (int i = 1; i <= size.binaryFiles; ++i) {
    std::string name = "data" + std::to_string(i) + ".bin";
    Random random(name);
    Bytes bytes(size.binaryFileSize);
    for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random.Next() >> 56);
    Write(folder / "Parts" / "Bin" / name, bytes);
  }
}

}  // namespace demo
