#!/usr/bin/env python3
"""The Windows 11 menu's .msix as scripts/package makes it (scripts/msix.py pack from the build's
AppxManifest.xml), read back independently of the writer: it opens as a zip with the expected
parts, the local file headers, sizes and every 64 KiB block's SHA-256 match AppxBlockMap.xml, the
content types cover every part, and the manifest inside is the build's. Then signed with a
throwaway self-signed certificate by osslsigncode (when openssl and osslsigncode are present):
the signature part is added and osslsigncode verifies it against that certificate.

usage: msix_package_check.py SOURCE_ROOT BUILD_FOLDER
"""
import base64
import hashlib
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET
import zipfile

ROOT = BUILD = None
BM = "{http://schemas.microsoft.com/appx/2010/blockmap}"
CT = "{http://schemas.openxmlformats.org/package/2006/content-types}"
PAYLOAD = ["AppxManifest.xml", "Assets/Square150x150Logo.png", "Assets/Square44x44Logo.png", "Assets/StoreLogo.png"]


def pack(folder, publisher=None):
    manifest = BUILD / "AppxManifest.xml"
    if publisher:
        manifest = folder / "AppxManifest.xml"
        subprocess.run([sys.executable, str(ROOT / "scripts/msix.py"), "manifest", "--root", str(ROOT), "--out",
                        str(manifest), "--publisher", publisher], check=True)
    out = folder / "Quillmark.msix"
    subprocess.run([sys.executable, str(ROOT / "scripts/msix.py"), "pack", "--root", str(ROOT), "--manifest",
                    str(manifest), "--out", str(out)], check=True)
    return out, manifest


class MsixPackage(unittest.TestCase):
    def setUp(self):
        self.tmp = pathlib.Path(tempfile.mkdtemp(prefix="qmmsix"))

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def check_block_map(self, package):
        raw = package.read_bytes()
        with zipfile.ZipFile(package) as z:
            self.assertIsNone(z.testzip())
            infos = {i.filename: i for i in z.infolist()}
            block_map = ET.fromstring(z.read("AppxBlockMap.xml"))
            self.assertEqual(block_map.tag, BM + "BlockMap")
            self.assertEqual(block_map.get("HashMethod"), "http://www.w3.org/2001/04/xmlenc#sha256")
            mapped = []
            for f in block_map.findall(BM + "File"):
                name = f.get("Name").replace("\\", "/")
                mapped.append(name)
                data = z.read(name)
                self.assertEqual(int(f.get("Size")), len(data), name)
                # The local file header as it is in the file: 30 bytes, the name, the extra field.
                at = infos[name].header_offset
                signature, = struct.unpack_from("<I", raw, at)
                self.assertEqual(signature, 0x04034B50, name)
                name_length, extra_length = struct.unpack_from("<HH", raw, at + 26)
                self.assertEqual(int(f.get("LfhSize")), 30 + name_length + extra_length, name)
                blocks = f.findall(BM + "Block")
                self.assertEqual(len(blocks), (len(data) + 65535) // 65536, name)
                for k, block in enumerate(blocks):
                    digest = hashlib.sha256(data[k * 65536:(k + 1) * 65536]).digest()
                    self.assertEqual(base64.b64decode(block.get("Hash")), digest, f"{name} block {k}")
            # Every part but the block map, the content types and the signature is mapped.
            self.assertEqual(sorted(mapped), sorted(PAYLOAD))
            types = ET.fromstring(z.read("[Content_Types].xml"))
            defaults = {d.get("Extension").lower() for d in types.findall(CT + "Default")}
            overrides = {o.get("PartName"): o.get("ContentType") for o in types.findall(CT + "Override")}
            self.assertEqual(overrides["/AppxManifest.xml"], "application/vnd.ms-appx.manifest+xml")
            self.assertEqual(overrides["/AppxBlockMap.xml"], "application/vnd.ms-appx.blockmap+xml")
            for name in infos:
                if name != "[Content_Types].xml" and "/" + name not in overrides:
                    self.assertIn(name.rsplit(".", 1)[-1].lower(), defaults, name)
            return list(infos), z.read("AppxManifest.xml")

    def test_package_holds_the_build_manifest_and_a_matching_block_map(self):
        package, manifest = pack(self.tmp)
        parts, inside = self.check_block_map(package)
        self.assertEqual(parts, PAYLOAD + ["AppxBlockMap.xml", "[Content_Types].xml"])
        self.assertEqual(inside, manifest.read_bytes())
        # The logos are PNG images of the sizes the manifest's names say.
        with zipfile.ZipFile(package) as z:
            for name, size in (("Assets/Square150x150Logo.png", 150), ("Assets/Square44x44Logo.png", 44),
                               ("Assets/StoreLogo.png", 50)):
                png = z.read(name)
                self.assertEqual(png[:8], b"\x89PNG\r\n\x1a\n", name)
                self.assertEqual(struct.unpack(">II", png[16:24]), (size, size), name)

    def test_package_made_twice_is_the_same_file(self):
        first, _ = pack(self.tmp)
        again = self.tmp / "again"
        again.mkdir()
        second, _ = pack(again)
        self.assertEqual(first.read_bytes(), second.read_bytes())

    def test_timestamped_package_reports_its_timestamp(self):
        # Offline: osslsigncode's own time-stamping authority (-TSA-certs/-TSA-key) stands in for the
        # server a release names in QM_SIGN_TIMESTAMP; the signing goes through scripts/msix.py sign.
        if not shutil.which("openssl") or not shutil.which("osslsigncode"):
            self.skipTest("openssl or osslsigncode missing (scripts/setup installs both)")
        key, cert, tsa_key, tsa = (self.tmp / n for n in ("key.pem", "cert.pem", "tsa.key", "tsa.pem"))
        for k, c, subject, usage in ((key, cert, "/CN=Quillmark Test Signer", "codeSigning"),
                                     (tsa_key, tsa, "/CN=Quillmark Test TSA", "critical,timeStamping")):
            subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", str(k), "-out",
                            str(c), "-days", "2", "-subj", subject, "-addext", "extendedKeyUsage=" + usage,
                            "-addext", "basicConstraints=CA:FALSE"], check=True, capture_output=True)
        package, _ = pack(self.tmp, "CN=Quillmark Test Signer")
        signed, plain = self.tmp / "timestamped.msix", self.tmp / "plain.msix"
        msix = [sys.executable, str(ROOT / "scripts/msix.py"), "sign", "--in", str(package), "--certs", str(cert),
                "--key", str(key)]
        subprocess.run(msix + ["--out", str(signed), "--tsa-certs", str(tsa), "--tsa-key", str(tsa_key)], check=True)
        subprocess.run(msix + ["--out", str(plain)], check=True)
        verify = subprocess.run(["osslsigncode", "verify", "-in", str(signed), "-CAfile", str(cert), "-TSA-CAfile",
                                 str(tsa)], capture_output=True, text=True)
        self.assertEqual(verify.returncode, 0, verify.stdout + verify.stderr)
        self.assertIn("Timestamp Server Signature verification: ok", verify.stdout)
        self.assertIn("Subject: /CN=Quillmark Test TSA", verify.stdout)
        self.assertIn("Message digest algorithm  : SHA256", verify.stdout)
        verify = subprocess.run(["osslsigncode", "verify", "-in", str(plain), "-CAfile", str(cert)],
                                capture_output=True, text=True)
        self.assertEqual(verify.returncode, 0, verify.stdout + verify.stderr)
        self.assertNotIn("Timestamp Server Signature verification", verify.stdout)

    def test_signed_package_verifies_against_its_certificate(self):
        if not shutil.which("openssl") or not shutil.which("osslsigncode"):
            self.skipTest("openssl or osslsigncode missing (scripts/setup installs both)")
        key, cert = self.tmp / "key.pem", self.tmp / "cert.pem"
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", str(key), "-out",
                        str(cert), "-days", "2", "-subj", "/O=Quillmark Tests/CN=Quillmark Test Signer",
                        "-addext", "extendedKeyUsage=codeSigning", "-addext", "basicConstraints=CA:FALSE"],
                       check=True, capture_output=True)
        publisher = subprocess.run([sys.executable, str(ROOT / "scripts/msix.py"), "publisher", str(cert)],
                                   check=True, capture_output=True, text=True).stdout.strip()
        self.assertEqual(publisher, "CN=Quillmark Test Signer, O=Quillmark Tests")
        package, _ = pack(self.tmp, publisher)
        signed = self.tmp / "signed.msix"
        subprocess.run(["osslsigncode", "sign", "-certs", str(cert), "-key", str(key), "-in", str(package), "-out",
                        str(signed)], check=True, capture_output=True)
        parts, inside = self.check_block_map(signed)
        self.assertEqual(parts[-1], "AppxSignature.p7x")
        self.assertIn(b'Publisher="CN=Quillmark Test Signer, O=Quillmark Tests"', inside)
        with zipfile.ZipFile(signed) as z:
            types = ET.fromstring(z.read("[Content_Types].xml"))
            overrides = {o.get("PartName") for o in types.findall(CT + "Override")}
            self.assertIn("/AppxSignature.p7x", overrides)
        verify = subprocess.run(["osslsigncode", "verify", "-in", str(signed), "-CAfile", str(cert)],
                                capture_output=True, text=True)
        self.assertEqual(verify.returncode, 0, verify.stdout + verify.stderr)
        # A changed byte of a part breaks the signature.
        broken = bytearray(signed.read_bytes())
        with zipfile.ZipFile(signed) as z:
            info = z.getinfo("Assets/StoreLogo.png")
        broken[info.header_offset + 30 + len(info.filename) + 40] ^= 0xFF
        (self.tmp / "broken.msix").write_bytes(bytes(broken))
        verify = subprocess.run(["osslsigncode", "verify", "-in", str(self.tmp / "broken.msix"), "-CAfile", str(cert)],
                                capture_output=True, text=True)
        self.assertNotEqual(verify.returncode, 0)


if __name__ == "__main__":
    ROOT, BUILD = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    result = unittest.main(argv=sys.argv[:1], exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)
