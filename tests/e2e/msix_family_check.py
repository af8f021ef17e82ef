#!/usr/bin/env python3
"""The package family name scripts/msix.py computes (the publisher id: SHA-256 of the UTF-16LE
publisher, 8 bytes, Crockford's base 32) against family names Windows reports for published
packages, and the header compiled into quillshell.dll against the build's manifest.

usage: msix_family_check.py SOURCE_ROOT BUILD_FOLDER
"""
import importlib.util
import pathlib
import re
import sys
import unittest
import zipfile

ROOT = BUILD = None


def msix():
    spec = importlib.util.spec_from_file_location("msix", ROOT / "scripts" / "msix.py")
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


class PackageFamily(unittest.TestCase):
    def test_publisher_ids_of_published_packages(self):
        m = msix()
        for publisher, expected in (
            ("CN=Microsoft Corporation, O=Microsoft Corporation, L=Redmond, S=Washington, C=US", "8wekyb3d8bbwe"),
            ("CN=Microsoft Windows, O=Microsoft Corporation, L=Redmond, S=Washington, C=US", "cw5n1h2txyewy"),
            ("CN=Skype Software Sarl, O=Microsoft Corporation, L=Luxembourg, S=Luxembourg, C=LU", "kzf8qxf38zg5c"),
            ("CN=C357A519-CEE3-4675-9EF4-44DE1D99A5D6", "amge560j0aq9g"),
            ("CN=B408A06D-44F7-4860-A12E-644DD44FA740", "pd2za7f9waemw"),
            ("CN=B408A06D-44F7-4860-A12E-644DD44FA741", "h0ed56e8a88dc"),
        ):
            with self.subTest(publisher=publisher):
                self.assertEqual(m.publisher_id(publisher), expected)
        self.assertEqual(m.family_name("Microsoft.WindowsCalculator",
                                       "CN=Microsoft Corporation, O=Microsoft Corporation, L=Redmond, S=Washington, C=US"),
                         "Microsoft.WindowsCalculator_8wekyb3d8bbwe")

    def test_compiled_family_is_the_build_manifests(self):
        m = msix()
        header = (BUILD / "generated" / "shellext" / "package_family.h").read_text()
        found = re.search(r'kPackageFamilyName = L"([^"]+)"', header)
        self.assertIsNotNone(found, header)
        manifest = (BUILD / "AppxManifest.xml").read_text()
        name = re.search(r'<Identity Name="([^"]+)"', manifest).group(1)
        publisher = re.search(r'<Identity [^>]*Publisher="([^"]+)"', manifest).group(1)
        publisher = publisher.replace("&quot;", '"').replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&")
        self.assertEqual(found.group(1), m.family_name(name, publisher))
        self.assertRegex(found.group(1), r"^Ostrel\.Quillmark_[0-9a-hjkmnp-tv-z]{13}$")

    def test_shipped_packages_store_their_manifest(self):
        # quillshell.dll reads the family of the Quillmark.msix beside it from its AppxManifest.xml,
        # which it reads only when stored uncompressed: the packer and osslsigncode keep it so.
        m = msix()
        families = set()
        for folder in ("package", "package-signed"):
            with self.subTest(folder=folder):
                with zipfile.ZipFile(BUILD / folder / "Quillmark.msix") as z:
                    info = z.getinfo("AppxManifest.xml")
                    self.assertEqual(info.compress_type, zipfile.ZIP_STORED)
                    manifest = z.read(info).decode("utf-8")
                name = re.search(r'<Identity Name="([^"]+)"', manifest).group(1)
                publisher = re.search(r'<Identity [^>]*Publisher="([^"]+)"', manifest).group(1)
                families.add(m.family_name(name, publisher.replace("&quot;", '"').replace("&amp;", "&")))
        self.assertEqual(len(families), 2, families)  # a signed package has a family of its own


if __name__ == "__main__":
    ROOT, BUILD = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    result = unittest.main(argv=sys.argv[:1], exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)
