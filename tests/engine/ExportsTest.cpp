// The sealed library: libeXgine's dynamic symbol table holds exactly the operations of eXgine.h,
// and the game binds to nothing else of it while it still exports its banner. The tables are
// read straight from the ELF files the build made, so names with line breaks come out whole.
#include <cxxabi.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

struct DynamicSymbols {
    std::set<std::string> defined;    // what the file offers to others
    std::set<std::string> undefined;  // what it takes from the libraries it loads
    std::string error;
};

std::vector<char> ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

template <typename T>
bool Fits(const std::vector<char>& file, std::uint64_t offset, std::uint64_t count = 1) {
    return offset <= file.size() && count <= (file.size() - offset) / sizeof(T);
}

// The global and weak entries of the .dynsym section of a 64-bit ELF file, by (mangled) name.
DynamicSymbols ReadDynamicSymbols(const std::string& path) {
    DynamicSymbols out;
    const std::vector<char> file = ReadWhole(path);
    if (!Fits<Elf64_Ehdr>(file, 0) || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0 ||
        file[EI_CLASS] != ELFCLASS64) {
        out.error = path + " is not a 64-bit ELF file";
        return out;
    }
    Elf64_Ehdr header;
    std::memcpy(&header, file.data(), sizeof header);
    if (!Fits<Elf64_Shdr>(file, header.e_shoff, header.e_shnum)) {
        out.error = path + ": section table out of the file";
        return out;
    }
    std::vector<Elf64_Shdr> sections(header.e_shnum);
    std::memcpy(sections.data(), file.data() + header.e_shoff, header.e_shnum * sizeof(Elf64_Shdr));
    for (const Elf64_Shdr& s : sections) {
        if (s.sh_type != SHT_DYNSYM || s.sh_link >= sections.size()) continue;
        const Elf64_Shdr& names = sections[s.sh_link];
        const std::uint64_t count = s.sh_size / sizeof(Elf64_Sym);
        if (!Fits<Elf64_Sym>(file, s.sh_offset, count) ||
            !Fits<char>(file, names.sh_offset, names.sh_size)) {
            out.error = path + ": symbol table out of the file";
            return out;
        }
        for (std::uint64_t i = 1; i < count; ++i) {
            Elf64_Sym sym;
            std::memcpy(&sym, file.data() + s.sh_offset + i * sizeof sym, sizeof sym);
            if (ELF64_ST_BIND(sym.st_info) == STB_LOCAL || sym.st_name >= names.sh_size) continue;
            const char* name = file.data() + names.sh_offset + sym.st_name;
            (sym.st_shndx == SHN_UNDEF ? out.undefined : out.defined).insert(name);
        }
        return out;
    }
    out.error = path + " has no dynamic symbol table";
    return out;
}

std::string Demangled(const std::string& name) {
    int status = 0;
    char* text = abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status);
    std::string result = status == 0 && text ? text : name;
    std::free(text);
    return result;
}

// Markers the linker adds to every file it writes; no code of ours is behind them.
bool LinkerMarker(const std::string& name) {
    return name == "_edata" || name == "_end" || name == "__bss_start";
}

// Names that belong to the engine or to the decoders it links: the only ones a game could
// wrongly resolve from the library.
bool OursByName(const std::string& readable) {
    for (const char* prefix : {"exg::", "media::", "exInit", "exDone", "ExFixedStep",
                               "typeinfo for exg::", "vtable for exg::"})
        if (readable.rfind(prefix, 0) == 0) return true;
    return false;
}

TEST(SealedEngine, TheLibraryExportsExactlyTheApi) {
    const DynamicSymbols symbols = ReadDynamicSymbols(EXGINE_LIBRARY);
    ASSERT_TRUE(symbols.error.empty()) << symbols.error;
    std::set<std::string> exported;
    for (const std::string& name : symbols.defined)
        if (!LinkerMarker(name)) exported.insert(Demangled(name));
    // The constructor comes twice (complete and base object), under one readable name.
    const std::set<std::string> api = {
        "exInit(IEngineCore**, char const*, int)", "exDone()",
        "ExFixedStep::ExFixedStep(int)",           "ExFixedStep::Advance(long long)",
        "ExFixedStep::NsUntilNext() const",
    };
    for (const std::string& name : exported)
        EXPECT_TRUE(api.count(name)) << "exported but not in eXgine.h: " << name;
    for (const std::string& name : api)
        EXPECT_TRUE(exported.count(name)) << "in eXgine.h but not exported: " << name;
}

TEST(SealedEngine, TheGameExportsItsBannerAndTakesOnlyTheEntryPoints) {
    const DynamicSymbols symbols = ReadDynamicSymbols(GARBAGE_PROGRAM);
    ASSERT_TRUE(symbols.error.empty()) << symbols.error;
    EXPECT_TRUE(symbols.defined.count("\r\n\r\n<<< Based on eXgine >>>\r\n\r\n"))
        << "the banner is no longer exported";
    std::set<std::string> taken;
    for (const std::string& name : symbols.undefined)
        if (OursByName(Demangled(name))) taken.insert(Demangled(name));
    // Everything else (the decoders among it) the game must carry itself.
    const std::set<std::string> entryPoints = {"exInit(IEngineCore**, char const*, int)",
                                               "exDone()"};
    EXPECT_EQ(taken, entryPoints);
    for (const std::string& name : symbols.defined)
        EXPECT_FALSE(OursByName(Demangled(name))) << "the game exports " << Demangled(name);
}

}  // namespace
