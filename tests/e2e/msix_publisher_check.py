#!/usr/bin/env python3
"""The package's Publisher made from a certificate (scripts/msix.py publisher) against the form
Windows compares it with, CertNameToStrW(X509_ASN_ENCODING, subject, CERT_X500_NAME_STR |
CERT_NAME_STR_REVERSE_FLAG): a table of subjects in Windows' form, each also checked against Wine's
CertNameToStrW (qm_cert_name_probe.exe) as the oracle.

Wine difference: Wine 8 writes an attribute without a short name as its bare dotted OID
(2.5.4.15=...), where Windows writes OID.2.5.4.15=... (as published MSIX Publishers show). For those
rows the table holds Windows' form and Wine's answer is compared with the "OID." prefixes removed.
Wine 8 also leaves a value with a trailing blank unquoted, where CertNameToStrW's documentation
says Windows quotes leading or trailing white space: that row carries Wine's answer beside it.

usage: msix_publisher_check.py SOURCE_ROOT BUILD_FOLDER
"""
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = BUILD = None

# (openssl -subj, with -multivalue-rdn: "+" joins attributes of one RDN; Windows' form[; Wine's])
TABLE = [
    ("/C=DE/ST=Bayern/L=M\u00fcnchen/O=Quillmark GmbH/CN=Quillmark",
     "CN=Quillmark, O=Quillmark GmbH, L=M\u00fcnchen, S=Bayern, C=DE"),
    ("/DC=com/DC=example/emailAddress=dev@example.com/serialNumber=HRB 12345/CN=Dev",
     "CN=Dev, SERIALNUMBER=HRB 12345, E=dev@example.com, DC=example, DC=com"),
    ("/O=Smith, Jones & Co/CN=A\\+B", 'CN="A+B", O="Smith, Jones & Co"'),
    ('/O=Say "hi"/OU= leading/CN=trailing ', 'CN="trailing ", OU=" leading", O="Say ""hi"""',
     'CN=trailing , OU=" leading", O="Say ""hi"""'),
    ("/O=a=b/OU=#1/L=x;y/CN=<tag>", 'CN="<tag>", L="x;y", OU="#1", O="a=b"'),
    ("/C=US/O=Org/CN=Name+OU=Unit", "CN=Name + OU=Unit, O=Org, C=US"),
    ("/C=FR/O=Soci\u00e9t\u00e9 \u00c9toile/CN=\u041a\u0432\u0438\u043b\u043b",
     "CN=\u041a\u0432\u0438\u043b\u043b, O=Soci\u00e9t\u00e9 \u00c9toile, C=FR"),
    ("/jurisdictionC=US/businessCategory=Private Organization/serialNumber=5157550/O=Quillmark Inc./CN=Quillmark Inc.",
     "CN=Quillmark Inc., O=Quillmark Inc., SERIALNUMBER=5157550, OID.2.5.4.15=Private Organization, "
     "OID.1.3.6.1.4.1.311.60.2.1.3=US"),
]


def make_certificate(folder, subject):
    key, cert = folder / "key.pem", folder / "cert.pem"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", str(key), "-out",
                    str(cert), "-days", "2", "-utf8", "-multivalue-rdn", "-subj", subject],
                   check=True, capture_output=True)
    der = folder / "cert.der"
    subprocess.run(["openssl", "x509", "-in", str(cert), "-outform", "DER", "-out", str(der)], check=True)
    return cert, der


def ours(cert):
    return subprocess.run([sys.executable, str(ROOT / "scripts/msix.py"), "publisher", str(cert)], check=True,
                          capture_output=True).stdout.decode("utf-8").rstrip("\n")


def wines(der):
    probe = BUILD / "qm_cert_name_probe.exe"
    out = subprocess.run([str(BUILD / "wine-run"), str(probe), "Z:" + str(der).replace("/", "\\")],
                         check=True, capture_output=True)
    return out.stdout.decode("utf-8")


class Publisher(unittest.TestCase):
    def setUp(self):
        self.tmp = pathlib.Path(tempfile.mkdtemp(prefix="qmpublisher"))

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def test_table_in_windows_form(self):
        for subject, windows, *_ in TABLE:
            with self.subTest(subject=subject):
                cert, _ = make_certificate(self.tmp, subject)
                self.assertEqual(ours(cert), windows)

    def test_wine_certnametostr_agrees(self):
        if not (BUILD / "qm_cert_name_probe.exe").exists():
            self.skipTest("build qm_cert_name_probe first")
        for subject, windows, *wine in TABLE:
            with self.subTest(subject=subject):
                _, der = make_certificate(self.tmp, subject)
                # Wine writes "2.5.4.15=" where Windows writes "OID.2.5.4.15=".
                self.assertEqual(wines(der), wine[0] if wine else re.sub(r"(^|, | \+ )OID\.", r"\1", windows))


if __name__ == "__main__":
    ROOT, BUILD = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    unittest.main(argv=sys.argv[:1], verbosity=2)
