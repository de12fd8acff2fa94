#!/usr/bin/env python3
# check_manifest.py RES ARCH
# The manifest resource (type 24, id 1) of RES, the resources windres reads
# back from a built program, must be well-formed XML that Windows XP SP3 and
# XP x64 still load and that names, for Vista and later: the program and
# version 6 of the common controls, both for ARCH; the execution level
# asInvoker without uiAccess, in the trustInfo form XP accepts (asm.v2
# around asm.v3); the supportedOS Ids of Vista, 7, 8, 8.1 and 10/11 and no
# other; no DPI awareness.
import struct
import sys
import xml.etree.ElementTree as ElementTree

V1 = "{urn:schemas-microsoft-com:asm.v1}"
V2 = "{urn:schemas-microsoft-com:asm.v2}"
V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}


def resources(data):
    """(type, name, bytes) of each entry of a .res file; ids as numbers."""
    def field(offset):
        if data[offset:offset + 2] == b"\xff\xff":
            return struct.unpack_from("<H", data, offset + 2)[0], offset + 4
        end = data.index(b"\0\0", offset)
        end += (end - offset) % 2  # a UTF-16 unit ends on an even offset
        return data[offset:end].decode("utf-16-le"), end + 2

    offset = 0
    while offset + 8 <= len(data):
        size, header = struct.unpack_from("<II", data, offset)
        kind, after = field(offset + 8)
        name, _ = field(after)
        start = offset + header
        yield kind, name, data[start:start + size]
        offset = (start + size + 3) & ~3


def main(res, arch):
    with open(res, "rb") as file:
        found = [body for kind, name, body in resources(file.read()) if (kind, name) == (24, 1)]
    if len(found) != 1:
        sys.exit("%s: %d manifest resources (type 24, id 1), not one" % (res, len(found)))
    try:
        root = ElementTree.fromstring(found[0])
    except ElementTree.ParseError as error:
        sys.exit("the manifest is not well-formed XML: %s" % error)

    # Each path must lead to exactly one element with these attributes.
    expected = [
        (".", {"manifestVersion": "1.0"}, V1 + "assembly"),
        (V1 + "assemblyIdentity", {"type": "win32", "processorArchitecture": arch}, None),
        (V1 + "dependency/" + V1 + "dependentAssembly/" + V1 + "assemblyIdentity",
         {"type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
          "processorArchitecture": arch, "publicKeyToken": "6595b64144ccf1df", "language": "*"},
         None),
        (V2 + "trustInfo/" + V2 + "security/" + V3 + "requestedPrivileges/" + V3 +
         "requestedExecutionLevel", {"level": "asInvoker", "uiAccess": "false"}, None),
    ]
    faults = []
    for path, attributes, tag in expected:
        elements = [root] if path == "." else root.findall(path)
        if len(elements) != 1 or (tag and elements[0].tag != tag):
            faults.append("%d elements %s" % (len(elements), path))
            continue
        for key, value in attributes.items():
            if elements[0].get(key) != value:
                faults.append("%s: %s is %r, not %r" % (path, key, elements[0].get(key), value))
    ids = [element.get("Id") for element in
           root.findall(COMPATIBILITY + "compatibility/" + COMPATIBILITY + "application/" +
                        COMPATIBILITY + "supportedOS")]
    if sorted(ids) != sorted(SUPPORTED_OS):
        faults.append("supportedOS Ids %s, not those of Vista, 7, 8, 8.1 and 10" % ids)
    for element in root.iter():
        local = element.tag.split("}")[-1]
        if local in ("dpiAware", "dpiAwareness"):
            faults.append("it declares DPI awareness (%s)" % local)
        if local == "trustInfo" and element.tag != V2 + "trustInfo":
            faults.append("a trustInfo outside asm.v2, which Windows XP refuses")
    if faults:
        sys.exit("the manifest of %s:\n  %s" % (res, "\n  ".join(faults)))
    print("manifest: well-formed, %s, asInvoker, %d supportedOS, no DPI awareness" % (arch, len(ids)))


if __name__ == "__main__":
    main(*sys.argv[1:])
