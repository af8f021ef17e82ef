#!/usr/bin/env python3
"""The Windows 11 sparse package of the folder menu.

  msix.py manifest --root ROOT --out FILE [--publisher "CN=..."]
      AppxManifest.xml from installer/AppxManifest.xml.in: the version of CMakeLists.txt as four
      numbers, the class identifier of the Windows 11 handler (kFolderCommandClsid in
      shellext/server_win.h) and the publisher (default UNSIGNED_PUBLISHER, the name of a package
      without a signature; a signed package's is the subject of the certificate that signs it).
  msix.py publisher CERT.pem
      The certificate's subject in the form the manifest's Publisher takes: Windows' own
      CertNameToStrW(CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG), which Windows compares it
      with (most specific part first, S= E= SERIALNUMBER= DC=, OID.x.y for other attributes,
      values with , + = " < > # ; or outer blanks quoted, inner quotes doubled).
  msix.py sign --in IN.msix --out OUT.msix (--certs PEM --key PEM | --pkcs12 PFX)
         [--timestamp URL] [--tsa-certs PEM --tsa-key PEM]
      osslsigncode sign -h sha256, timestamped with -ts URL (or osslsigncode's local
      time-stamping authority); a PKCS#12 password comes from QM_SIGN_PASS.
  msix.py logos --root ROOT --out FOLDER
      The logo images the manifest names (Assets/*.png) written under FOLDER: the package's logos
      resolve against its external location, the program folder, so they are installed there too.
  msix.py family --manifest FILE --out HEADER
      The package family name of a made manifest (its Identity's Name, "_", the publisher id) as a
      C++ header for quillshell.dll, which asks Windows whether that package is registered.
  msix.py pack --root ROOT --manifest FILE --out PACKAGE.msix
      The package: the manifest and its logo images (made from the program's icon with
      ImageMagick), AppxBlockMap.xml (SHA-256 of every 64 KiB block of every file) and
      [Content_Types].xml, as a zip whose entries are dated 1980-01-01, in that order; the parts of
      the block map are stored, the content types deflated.
"""
import argparse
import base64
import hashlib
import io
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zipfile
from xml.sax.saxutils import escape, quoteattr

BLOCK = 64 * 1024
BLOCKMAP_NS = "http://schemas.microsoft.com/appx/2010/blockmap"
SHA256 = "http://www.w3.org/2001/04/xmlenc#sha256"
TYPES_NS = "http://schemas.openxmlformats.org/package/2006/content-types"
LOGOS = {"Assets/StoreLogo.png": 50, "Assets/Square150x150Logo.png": 150, "Assets/Square44x44Logo.png": 44}
DATE = (1980, 1, 1, 0, 0, 0)
# Windows 11 registers a package without a signature (Add-AppxPackage -AllowUnsigned) only when its
# Publisher carries this attribute; such a package never has the identity of a signed one.
UNSIGNED_PUBLISHER = "CN=Quillmark developers, OID.2.25.311729368913984317654407730594956997722=1"


def fail(text):
    print("msix: " + text, file=sys.stderr)
    sys.exit(1)


def version_of(root):
    text = (root / "CMakeLists.txt").read_text()
    m = re.search(r"^project\(Quillmark VERSION ([0-9.]+)", text, re.M)
    if not m:
        fail("no version in CMakeLists.txt")
    parts = (m.group(1).split(".") + ["0", "0", "0"])[:4]
    return ".".join(parts)


def command_clsid(root):
    text = (root / "shellext" / "server_win.h").read_text()
    m = re.search(r"//\s*\{([0-9A-F-]{36})\}[^\n]*\n(?://[^\n]*\n)*inline constexpr CLSID kFolderCommandClsid", text)
    if not m:
        fail("no kFolderCommandClsid in shellext/server_win.h")
    return m.group(1)


def make_manifest(root, publisher, version=None):
    text = (root / "installer" / "AppxManifest.xml.in").read_text()
    version = ".".join((version.split(".") + ["0", "0", "0"])[:4]) if version else version_of(root)
    for key, value in (("VERSION", version), ("CLSID", command_clsid(root)), ("PUBLISHER", publisher)):
        text = text.replace("@" + key + "@", escape(value, {'"': "&quot;"}))
    if "@" in re.sub(r"<!--.*?-->", "", text, flags=re.S):
        fail("a placeholder of the manifest template is left")
    return text


# The attribute names CertNameToStrW(CERT_X500_NAME_STR) writes; any other attribute is written
# as OID.<dotted number>.
X500_NAMES = {
    "2.5.4.3": "CN", "2.5.4.4": "SN", "2.5.4.5": "SERIALNUMBER", "2.5.4.6": "C", "2.5.4.7": "L",
    "2.5.4.8": "S", "2.5.4.9": "STREET", "2.5.4.10": "O", "2.5.4.11": "OU", "2.5.4.12": "T",
    "2.5.4.42": "G", "2.5.4.43": "I", "1.2.840.113549.1.9.1": "E", "0.9.2342.19200300.100.1.25": "DC",
}
# CertNameToStrW quotes a value that holds one of these or starts or ends with a blank.
QUOTED = set(',+="<>#;\n')


def der_item(data, at):
    """(tag, start of contents, end of contents) of the DER item at `at`, bounds checked."""
    if at + 2 > len(data):
        raise ValueError("truncated DER")
    tag, length, at = data[at], data[at + 1], at + 2
    if length & 0x80:
        count = length & 0x7F
        if count == 0 or count > 4 or at + count > len(data):
            raise ValueError("bad DER length")
        length = int.from_bytes(data[at:at + count], "big")
        at += count
    if at + length > len(data):
        raise ValueError("truncated DER")
    return tag, at, at + length


def der_children(data, start, end):
    while start < end:
        tag, body, after = der_item(data, start)
        yield tag, body, after
        start = after


def oid_text(raw):
    first = raw[0]
    parts = [str(min(first // 40, 2)), str(first - 40 * min(first // 40, 2))]
    value = 0
    for byte in raw[1:]:
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            parts.append(str(value))
            value = 0
    return ".".join(parts)


def string_value(tag, raw):
    if tag == 0x1E:  # BMPString
        return raw.decode("utf-16-be")
    if tag == 0x1C:  # UniversalString
        return raw.decode("utf-32-be")
    if tag == 0x0C:  # UTF8String
        return raw.decode("utf-8")
    return raw.decode("latin-1")  # PrintableString, IA5String, T61String (as Windows reads them)


def windows_value(value):
    if value == "" or value[0] == " " or value[-1] == " " or QUOTED & set(value):
        return '"' + value.replace('"', '""') + '"'
    return value


def subject_rdns(der):
    """The certificate's subject as a list of RDNs, each a list of (OID, value), in DER order."""
    _, body, end = der_item(der, 0)  # Certificate
    _, tbs, tbs_end = der_item(der, body)  # TBSCertificate
    fields = list(der_children(der, tbs, tbs_end))
    if fields and fields[0][0] == 0xA0:  # [0] version
        fields = fields[1:]
    _, name, name_end = fields[4]  # serialNumber, signature, issuer, validity, subject
    rdns = []
    for _, rdn, rdn_end in der_children(der, name, name_end):
        attributes = []
        for _, pair, pair_end in der_children(der, rdn, rdn_end):
            (_, oid, oid_end), (tag, value, value_end) = list(der_children(der, pair, pair_end))[:2]
            attributes.append((oid_text(der[oid:oid_end]), string_value(tag, der[value:value_end])))
        rdns.append(attributes)
    return rdns


def windows_subject(rdns):
    """What CertNameToStrW(X509_ASN_ENCODING, subject, CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG)
    gives: the most specific RDN first, RDNs joined by ", ", the attributes of one RDN by " + "."""
    return ", ".join(" + ".join(X500_NAMES.get(oid, "OID." + oid) + "=" + windows_value(value)
                                for oid, value in rdn) for rdn in reversed(rdns))
# Crockford's base-32 digits, lower case, as package family names write them.
CROCKFORD = "0123456789abcdefghjkmnpqrstvwxyz"


def publisher_id(publisher):
    """The 13 characters Windows derives from a publisher: the first 8 bytes of the SHA-256 of the
    publisher as UTF-16LE, read as one big-endian number, a zero bit appended (65 bits), written
    five bits at a time."""
    bits = int.from_bytes(hashlib.sha256(publisher.encode("utf-16-le")).digest()[:8], "big") << 1
    return "".join(CROCKFORD[(bits >> (60 - 5 * i)) & 31] for i in range(13))


def family_name(name, publisher):
    return name + "_" + publisher_id(publisher)


def manifest_family_name(manifest):
    identity = ET.parse(manifest).getroot().find("{http://schemas.microsoft.com/appx/manifest/foundation/windows10}Identity")
    if identity is None or not identity.get("Name") or not identity.get("Publisher"):
        fail("no Identity with a Name and a Publisher in " + str(manifest))
    return family_name(identity.get("Name"), identity.get("Publisher"))


def family_header(manifest):
    return ("#pragma once\n// Made by scripts/msix.py family from " + manifest.name + ": the package family name of\n"
            "// the Windows 11 menu's package.\n"
            "inline constexpr const wchar_t* kPackageFamilyName = L\"" + manifest_family_name(manifest) + "\";\n")


def publisher_of(cert):
    """The certificate's subject in the form Windows compares a package's Publisher with."""
    der = subprocess.run(["openssl", "x509", "-in", str(cert), "-outform", "DER"], check=True,
                         capture_output=True).stdout
    return windows_subject(subject_rdns(der))


def sign(a):
    """Signs the package with osslsigncode (SHA-256), timestamped when a timestamp server (or a
    local time-stamping certificate and key, for tests) is given."""
    command = ["osslsigncode", "sign", "-h", "sha256"]
    if a.pkcs12:
        command += ["-pkcs12", str(a.pkcs12), "-readpass", "/dev/stdin"]
    else:
        command += ["-certs", str(a.certs), "-key", str(a.key)]
    if a.timestamp:
        command += ["-ts", a.timestamp]
    if a.tsa_certs:
        command += ["-TSA-certs", str(a.tsa_certs), "-TSA-key", str(a.tsa_key)]
    command += ["-in", str(a.input), "-out", str(a.out)]
    password = os.environ.get("QM_SIGN_PASS", "") if a.pkcs12 else ""
    subprocess.run(command, check=True, input=password.encode(), stdout=subprocess.DEVNULL)


def logo(root, size):
    with tempfile.TemporaryDirectory() as tmp:
        out = pathlib.Path(tmp) / "logo.png"
        convert = "magick" if subprocess.run(["sh", "-c", "command -v magick"], capture_output=True).returncode == 0 \
            else "convert"
        subprocess.run([convert, str(root / "resources" / "icons" / "quillmark.ico") + "[0]", "-filter", "point",
                        "-resize", f"{size}x{size}", "-strip", "-define", "png:exclude-chunks=date,time",
                        "PNG32:" + str(out)], check=True)
        return out.read_bytes()


def local_header_size(name):
    return 30 + len(name.encode("utf-8"))  # stored entries of this size carry no extra field


def block_map(files):
    lines = ['<?xml version="1.0" encoding="UTF-8" standalone="no"?>',
             f'<BlockMap xmlns="{BLOCKMAP_NS}" HashMethod="{SHA256}">']
    for name, data in files:
        windows = name.replace("/", "\\")
        lines.append(f'<File Name={quoteattr(windows)} Size="{len(data)}" LfhSize="{local_header_size(name)}">')
        for at in range(0, len(data), BLOCK):
            digest = base64.b64encode(hashlib.sha256(data[at:at + BLOCK]).digest()).decode()
            lines.append(f'<Block Hash="{digest}"/>')  # stored: no compressed size
        lines.append("</File>")
    lines.append("</BlockMap>")
    return ("\r\n".join(lines) + "\r\n").encode("utf-8")


def content_types(files):
    defaults = sorted({n.rsplit(".", 1)[1].lower() for n, _ in files if n != "AppxManifest.xml" and "." in n})
    known = {"png": "image/png", "dll": "application/x-msdownload", "exe": "application/x-msdownload",
             "xml": "application/xml"}
    parts = ['<?xml version="1.0" encoding="UTF-8"?>', f'<Types xmlns="{TYPES_NS}">']
    for ext in defaults:
        parts.append(f'<Default Extension="{ext}" ContentType="{known.get(ext, "application/octet-stream")}"/>')
    parts.append('<Override PartName="/AppxManifest.xml" ContentType="application/vnd.ms-appx.manifest+xml"/>')
    parts.append('<Override PartName="/AppxBlockMap.xml" ContentType="application/vnd.ms-appx.blockmap+xml"/>')
    parts.append("</Types>")
    return "".join(parts).encode("utf-8")


def pack(root, manifest, out):
    files = [("AppxManifest.xml", manifest.read_bytes())]
    files += [(name, logo(root, size)) for name, size in sorted(LOGOS.items())]
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_STORED) as z:
        for name, data in files + [("AppxBlockMap.xml", block_map(files)), ("[Content_Types].xml",
                                                                             content_types(files))]:
            info = zipfile.ZipInfo(name, DATE)
            # The content types part is deflated, as MakeAppx writes it: osslsigncode rewrites it
            # deflated when it signs and keeps the method the entry had.
            info.compress_type = zipfile.ZIP_DEFLATED if name == "[Content_Types].xml" else zipfile.ZIP_STORED
            info.create_system = 0
            z.writestr(info, data)
    out.write_bytes(buffer.getvalue())


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="what", required=True)
    m = sub.add_parser("manifest")
    m.add_argument("--root", type=pathlib.Path, required=True)
    m.add_argument("--out", type=pathlib.Path, required=True)
    m.add_argument("--publisher", default=UNSIGNED_PUBLISHER)
    m.add_argument("--version", help="the product version (x.y.z) instead of CMakeLists.txt's")
    p = sub.add_parser("publisher")
    p.add_argument("cert", type=pathlib.Path)
    n = sub.add_parser("sign")
    n.add_argument("--in", dest="input", type=pathlib.Path, required=True)
    n.add_argument("--out", type=pathlib.Path, required=True)
    n.add_argument("--certs", type=pathlib.Path)
    n.add_argument("--key", type=pathlib.Path)
    n.add_argument("--pkcs12", type=pathlib.Path)
    n.add_argument("--timestamp")
    n.add_argument("--tsa-certs", type=pathlib.Path)
    n.add_argument("--tsa-key", type=pathlib.Path)
    g = sub.add_parser("logos")
    g.add_argument("--root", type=pathlib.Path, required=True)
    g.add_argument("--out", type=pathlib.Path, required=True)
    f = sub.add_parser("family")
    f.add_argument("--manifest", type=pathlib.Path, required=True)
    f.add_argument("--out", type=pathlib.Path, required=True)
    k = sub.add_parser("pack")
    k.add_argument("--root", type=pathlib.Path, required=True)
    k.add_argument("--manifest", type=pathlib.Path, required=True)
    k.add_argument("--out", type=pathlib.Path, required=True)
    a = parser.parse_args()
    if a.what == "manifest":
        text = make_manifest(a.root, a.publisher, a.version)
        if not a.out.exists() or a.out.read_text() != text:  # unchanged: no new time for make
            a.out.write_text(text, newline="\r\n")
    elif a.what == "family":
        text = family_header(a.manifest)
        if not a.out.exists() or a.out.read_text() != text:
            a.out.parent.mkdir(parents=True, exist_ok=True)
            a.out.write_text(text)
    elif a.what == "publisher":
        print(publisher_of(a.cert))
    elif a.what == "sign":
        sign(a)
    elif a.what == "logos":
        for name, size in sorted(LOGOS.items()):
            (a.out / name).parent.mkdir(parents=True, exist_ok=True)
            (a.out / name).write_bytes(logo(a.root, size))
    else:
        pack(a.root, a.manifest, a.out)


if __name__ == "__main__":
    main()
