// The update document parser and the version comparison on arbitrary response bodies.
#include "fuzzinput.h"
#include "records/updatedoc.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const records::UpdateDocument doc =
        records::parseUpdateDocument(files::decode(bytesOf(data, size).toByteArray()));
    if (doc.missingTags < 0 || doc.missingTags > 9)
        __builtin_trap();
    if (doc.missingTags == 0) {
        const auto order = records::compareVersions(doc.version1, doc.version2,
                                                    QStringLiteral("3.1"), QStringLiteral("0.0"));
        // The comparison must agree with itself the other way round.
        const auto back = records::compareVersions(QStringLiteral("3.1"), QStringLiteral("0.0"),
                                                   doc.version1, doc.version2);
        if ((order == records::VersionOrder::Same) != (back == records::VersionOrder::Same) ||
            (order == records::VersionOrder::Newer && back == records::VersionOrder::Newer))
            __builtin_trap();
    }
    return 0;
}
