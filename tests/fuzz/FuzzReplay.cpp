// Replays the committed seed corpus through every fuzz target, so that every build compiles
// and exercises them even without a fuzzing compiler. Each seed is fed whole and as every
// prefix, which reaches the "unexpected end" paths of the readers.
//
// Usage: test_fuzz_replay CORPUS_DIR (with one folder per target below it). Exit code 0 when
// every input ran; a target that finds a fault aborts the process.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// One entry point per target, named after its corpus folder.
extern "C" int ProvixaFuzz_objectpath(const std::uint8_t* data, std::size_t size);
extern "C" int ProvixaFuzz_wql(const std::uint8_t* data, std::size_t size);
extern "C" int ProvixaFuzz_eventrecord(const std::uint8_t* data, std::size_t size);
extern "C" int ProvixaFuzz_swxml(const std::uint8_t* data, std::size_t size);
extern "C" int ProvixaFuzz_swpacket(const std::uint8_t* data, std::size_t size);
extern "C" int ProvixaFuzz_busvalues(const std::uint8_t* data, std::size_t size);
extern "C" int ProvixaFuzz_base64(const std::uint8_t* data, std::size_t size);

namespace {

using Target = int (*)(const std::uint8_t*, std::size_t);

// Runs every file of the folder through the target; the number of seeds, or -1 when the
// folder holds none.
int ReplayFolder(const std::filesystem::path& folder, Target target)
{
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    if (error || files.empty())
        return -1;
    for (const auto& file : files)
    {
        std::ifstream stream(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        for (std::size_t length = 0; length <= bytes.size(); ++length)
            target(data, length);
    }
    return static_cast<int>(files.size());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: test_fuzz_replay CORPUS_DIR\n");
        return 2;
    }
    const std::filesystem::path corpus(argv[1]);
    const struct
    {
        const char* folder;
        Target target;
    } targets[] = {
        {"objectpath", &ProvixaFuzz_objectpath},   {"wql", &ProvixaFuzz_wql},
        {"eventrecord", &ProvixaFuzz_eventrecord}, {"swxml", &ProvixaFuzz_swxml},
        {"swpacket", &ProvixaFuzz_swpacket},       {"busvalues", &ProvixaFuzz_busvalues},
        {"base64", &ProvixaFuzz_base64},
    };
    int seeds = 0;
    for (const auto& t : targets)
    {
        const int count = ReplayFolder(corpus / t.folder, t.target);
        if (count < 0)
        {
            std::fprintf(stderr, "no seeds found below %s\n", (corpus / t.folder).string().c_str());
            return 1;
        }
        seeds += count;
    }
    std::printf("%d passed, 0 failed\n", seeds);
    return 0;
}
