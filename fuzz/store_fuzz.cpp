// Record files from other machines: the header and record decoders on the raw image, and the
// store itself opened on a folder holding that image as record file 0.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/casestore/case_store.h"

using namespace hj::casestore;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    if (size >= kHeaderSize) {
        StoreHeader h = decodeHeader(bytes);
        std::string error;
        (void)checkHeader(h, kKindBazi, &error);
        for (std::size_t off = kHeaderSize; off + kRecordSize <= size; off += kRecordSize) {
            CaseRecord r = decodeRecord(bytes + off);
            RecordBytes again;
            (void)encodeRecord(r, again, &error);
        }
    }

    static const std::string dir = [] {
        std::string d = "/tmp/hj_store_fuzz_" + std::to_string(::getpid());
        std::filesystem::create_directories(d + "/dat");
        return d;
    }();
    {
        std::ofstream out(dir + "/dat/bazi0.dat", std::ios::binary | std::ios::trunc);
        out.write(bytes, static_cast<std::streamsize>(size));
    }
    CaseStore store;
    if (store.openStore(dir)) {
        int n = store.recordCount();
        CaseRecord r;
        for (int i = 0; i < n && i < 64; ++i) (void)store.readRecord(i, r);
        std::vector<int> found;
        SearchCriteria c;
        c.nameMode = kMatchContains;
        c.name = "张";
        (void)store.searchRecords(c, found);
    }
    return 0;
}
