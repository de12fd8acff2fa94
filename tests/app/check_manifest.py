#!/usr/bin/env python3
# check_manifest.py RES ARCH
# The manifest resource (type 24, id 1) of RES, the resources windres reads
# back from a built program, must be well-formed XML naming the program and
# version 6 of the common controls for ARCH, the execution level asInvoker
# without uiAccess in the trustInfo form Windows XP loads (asm.v2 around
# asm.v3), the supportedOS Ids of Vista, 7, 8, 8.1 and 10/11, and no DPI
# awareness.
import struct
import sys
import xml.etree.ElementTree as ElementTree

V1, V2, V3 = ("{urn:schemas-microsoft-com:asm.%s}" % v for v in ("v1", "v2", "v3"))
OS = "{urn:schemas-microsoft-com:compatibility.v1}"
SUPPORTED_OS = [
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
]
res, arch = sys.argv[1:]
data, offset, manifest = open(res, "rb").read(), 0, None
while offset < len(data):  # entries: sizes of data and header, type, name, ...
    size, header = struct.unpack_from("<II", data, offset)
    if data[offset + 8:offset + 16] == b"\xff\xff\x18\x00\xff\xff\x01\x00":
        manifest = data[offset + header:offset + header + size]
    offset = (offset + header + size + 3) & ~3
try:
    root = ElementTree.fromstring(manifest or b"")
except ElementTree.ParseError as error:
    sys.exit("%s: the manifest is missing or not well-formed XML: %s" % (res, error))

# Each path leads to exactly one element, with these attributes.
expected = {
    ".": {"manifestVersion": "1.0"},
    V1 + "assemblyIdentity": {"type": "win32", "processorArchitecture": arch},
    V1 + "dependency/" + V1 + "dependentAssembly/" + V1 + "assemblyIdentity": {
        "type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
        "processorArchitecture": arch, "publicKeyToken": "6595b64144ccf1df", "language": "*"},
    V2 + "trustInfo/" + V2 + "security/" + V3 + "requestedPrivileges/" + V3 +
    "requestedExecutionLevel": {"level": "asInvoker", "uiAccess": "false"},
}
faults = [] if root.tag == V1 + "assembly" else ["the root is %s" % root.tag]
for path, attributes in expected.items():
    found = [root] if path == "." else root.findall(path)
    values = {key: found[0].get(key) for key in attributes} if len(found) == 1 else None
    if values != attributes:
        faults.append("%s: %s" % (path, values or "%d elements" % len(found)))
ids = sorted(e.get("Id") for e in root.findall("/".join(OS + t for t in ("compatibility", "application", "supportedOS"))))
if ids != SUPPORTED_OS:
    faults.append("supportedOS %s" % ids)
names = {e.tag for e in root.iter()}
faults += ["it declares %s" % n for n in names if n.split("}")[-1] in ("dpiAware", "dpiAwareness")]
if faults:
    sys.exit("the manifest of %s is wrong:\n  %s" % (res, "\n  ".join(faults)))
print("manifest: well-formed, %s, asInvoker, %d supportedOS, no DPI awareness" % (arch, len(ids)))
