#!/usr/bin/python3
# make-disc signing the disc's launcher, with a PKCS#12 file and with keys
# generated in tokens (SoftHSM2, in a folder of its own) reached through
# p11-kit's proxy: RSA and ECDSA, the certificate from the token or a file, a
# chain through an intermediate authority, a time stamp. Each signed image
# verifies against the test root and an RSA one is the same twice; each
# failure is named, with no image; the PIN is in no command line of a program
# make-disc starts; the checker says where the chain ends, and that it trusts
# it once this Windows holds the root.
#
# usage: sign_test.py TOP BUILD_DIR PROGRAM.exe WORK_DIR
import hashlib
import os
import shutil
import ssl
import struct
import subprocess
import sys
import threading
from http.server import BaseHTTPRequestHandler, HTTPServer

from PIL import Image
from tooltest import check, finish, run

top, build, program, work = sys.argv[1:5]
shutil.rmtree(work, ignore_errors=True)
list(map(os.makedirs, (f"{work}/disc", f"{work}/bin", f"{work}/tokens")))
os.chdir(work)
shutil.copy(program, "disc/setup.exe")
Image.new("P", (40, 30), 3).save("disc/splash.bmp")
PIN = "pin-4711"
# The tokens' folder, for this test's programs and make-disc's.
open("softhsm2.conf", "w").write(f"directories.tokendir = {work}/tokens\n")
os.environ["SOFTHSM2_CONF"] = f"{work}/softhsm2.conf"
token = ("pkcs11-tool", "--module", "/usr/lib/softhsm/libsofthsm2.so", "--login", "--pin", PIN, "--token-label")
for label in ("Disc", "Spare"):
    run("softhsm2-util", "--init-token", "--free", "--label", label, "--pin", PIN, "--so-pin", "so-" + PIN)
for label, key, kind in (("Disc", "rsa", "rsa:2048"), ("Disc", "ec", "EC:prime256v1"), ("Spare", "rsa", "rsa:2048")):
    run(*token, label, "--keypairgen", "--key-type", kind, "--label", key, "--id", "01" if key == "rsa" else "02", "--sensitive")

# A test root, an intermediate authority under it, and the certificates they
# issue: for the keys in the token, for time stamps, and in PKCS#12 files, one
# good, two Windows would refuse (no code-signing usage, expired).
open("x509.cnf", "w").write("[req]\ndistinguished_name=dn\n[dn]\n[ca]\nbasicConstraints=critical,CA:true\n"
                            "keyUsage=critical,keyCertSign\n[code]\nextendedKeyUsage=codeSigning\n"
                            "[time]\nextendedKeyUsage=critical,timeStamping\n[none]\nkeyUsage=digitalSignature\n"
                            "[tsa]\ndefault_tsa=t\n[t]\nsigner_digest=sha256\ndefault_policy=1.2.3.4\ndigests=sha256\n"
                            "serial=serial\n")
open("serial", "w").write("01\n")
run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-config", "x509.cnf", "-extensions", "ca", "-subj",
    "/CN=Test Root", "-keyout", "root.key", "-out", "root.pem")
in_token = "pkcs11:token=Disc;object="
for serial, (name, subject, usage, issuer, days) in enumerate((
        ("inter", "Test Intermediate", "ca", "root", "30"), ("rsa", "Zoë Spiele GmbH", "code", "inter", "30"),
        ("ec", "Zoë Spiele EC", "code", "inter", "30"), ("tsa", "Test TSA", "time", "root", "30"),
        ("code", "Zoë Spiele PFX", "code", "root", "30"), ("none", "No Usage", "none", "root", "30"),
        ("old", "Expired", "code", "root", "-1")), 2):
    key = ["-engine", "pkcs11", "-keyform", "engine", "-key", f"{in_token}{name};pin-value={PIN}"] if name in ("rsa", "ec") \
        else ["-newkey", "rsa:2048", "-nodes", "-keyout", name + ".key"]
    run("openssl", "req", "-new", "-utf8", "-config", "x509.cnf", "-subj", "/CN=" + subject, *key, "-out", name + ".csr")
    run("openssl", "x509", "-req", "-in", name + ".csr", "-CA", issuer + ".pem", "-CAkey", issuer + ".key", "-set_serial",
        str(serial), "-days", days, "-extfile", "x509.cnf", "-extensions", usage, "-out", name + ".pem")
    run("openssl", "pkcs12", "-export", "-inkey", name + ".key", "-in", name + ".pem", "-passout", "pass:" + PIN, "-out", name + ".pfx")
run(*token, "Disc", "--write-object", "rsa.pem", "--type", "cert", "--label", "rsa", "--id", "01")
open("cas.pem", "w").write(open("inter.pem").read() + open("root.pem").read())
open("pin", "w").write(PIN + "\n")


# A time-stamping authority on this machine: openssl ts answers each request.
class Authority(BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.end_headers()
        self.wfile.write(subprocess.run(["openssl", "ts", "-reply", "-config", "x509.cnf", "-queryfile", "/dev/stdin", "-inkey",
                                         "tsa.key", "-signer", "tsa.pem", "-out", "/dev/stdout"], input=query, capture_output=True).stdout)


authority = HTTPServer(("127.0.0.1", 0), Authority)
threading.Thread(target=authority.serve_forever, daemon=True).start()
# Stand-ins in front of the programs that meet the PIN record their command lines.
for name in ("osslsigncode", "openssl", "p11tool"):
    open("bin/" + name, "w").write(f'#!/bin/sh\necho "$0 $*" >>{work}/commands\nexec {shutil.which(name)} "$@"\n')
    os.chmod("bin/" + name, 0o755)


def make_disc(image, *options, **env):
    return run(f"{top}/tools/make-disc", "disc", image, "--launcher", f"{build}/i686/autorun.exe", *options,
               **{"AUTORUN_SIGN_PASSWORD": PIN, "PATH": f"{work}/bin:{os.environ['PATH']}", **env})


test_root = "its chain ends at Test Root, a root this Windows does not trust: a test certificate"
for options, same, chain in (
        (["--sign", in_token + "rsa", "--sign-cert", "cas.pem"], True, test_root),
        (["--sign", in_token + "ec;type=private", "--sign-cert", "ec.pem"], False,
         "its chain ends at Zoë Spiele EC, whose issuer, Test Intermediate, is neither"),
        (["--sign", "code.pfx"], True, "whose issuer, Test Root, is neither in the signature"),
        (["--sign", in_token + "rsa", "--sign-cert", "cas.pem", "--sign-password-file", "pin", "--timestamp",
          f"http://127.0.0.1:{authority.server_port}"], False, test_root)):
    # A PIN file is taken before the environment's.
    made = [make_disc(f"{n}.iso", *options, SOURCE_DATE_EPOCH="1700000000",
                      **({"AUTORUN_SIGN_PASSWORD": "wrong"} if "pin" in options else {})) for n in (1, 2)]
    images = [open(f"{n}.iso", "rb").read() if m.returncode == 0 else b"" for n, m in zip((1, 2), made)]
    check(all(m.returncode == 0 and chain in m.stdout for m in made) and (images[0] == images[1]) == same,
          f"{options}, the same image twice {not same}: {made[0].stdout}{made[0].stderr}")
    shutil.rmtree("contents", ignore_errors=True)
    run("xorriso", "-osirrox", "on", "-indev", "1.iso", "-extract", "/", "contents")
    verified = run("osslsigncode", "verify", "-CAfile", "cas.pem", "-TSA-CAfile", "root.pem", "-in", "contents/autorun.exe")
    check(verified.returncode == 0 and ("--timestamp" in options) == ("Timestamp Server Signature verification: ok"
          in verified.stdout), f"{options}: the signature does not verify:\n{verified.stdout}{verified.stderr}")

# The last image's chain, once this Windows holds the test root in the
# user's Root store, where the registry keeps its certificates.
der = ssl.PEM_cert_to_DER_cert(open("root.pem").read())
stored = r"HKCU\Software\Microsoft\SystemCertificates\Root\Certificates" + "\\" + hashlib.sha1(der).hexdigest().upper()
blob = struct.pack("<III", 32, 1, len(der)) + der
run("wine", "reg", "add", stored, "/v", "Blob", "/t", "REG_BINARY", "/d", blob.hex(), "/f")
try:
    said = run("wine", f"{build}/{os.environ['AUTORUN_ARCH']}/autorun-check.exe", f"Z:{work}/contents").stdout
finally:
    run("wine", "reg", "delete", stored, "/f")
check("autorun.exe: its chain ends at Test Root, a root this Windows trusts" in said and "not by a publisher" not in said,
      "the trusted root:\n" + said)

# Each failure named, before any image is written.
for options, env, code, said in (
        (["--sign", in_token + "rsa"], {"AUTORUN_SIGN_PASSWORD": "0000"}, 3, "the token refused the PIN: a wrong PIN"),
        (["--sign", in_token + "ec", "--sign-cert", "rsa.pem"], {}, 3,
         "the certificate of CN=Zoë Spiele GmbH is not the key's at pkcs11:token=Disc;object=ec"),
        (["--sign", "pkcs11:object=rsa", "--sign-cert", "rsa.pem"], {}, 3, "matches more than one token"),
        (["--sign", in_token + "ec"], {}, 3, "no certificate at pkcs11:token=Disc;object=ec;type=cert"),
        (["--sign", in_token + "rsa", "--sign-cert", "root.pem"], {}, 3, "does not lead from CN=Zoë Spiele GmbH up to its"),
        (["--sign", in_token + "rsa", "--timestamp", "http://127.0.0.1:1"], {}, 3, "at http://127.0.0.1:1 did not answer"),
        (["--sign", f"{in_token}rsa;pin-value={PIN}"], {}, 2, "the URI holds the PIN"),
        (["--sign", in_token + "rsa", "--pkcs11-module", "none.so"], {}, 2, "none.so is not a file"),
        (["--sign", "code.pfx"], {"AUTORUN_SIGN_PASSWORD": "wrong"}, 2, "a wrong password"),
        (["--sign", "none.pfx"], {}, 2, "is not for code signing"), (["--sign", "old.pfx"], {}, 2, "expired on")):
    refused = make_disc("refused.iso", *options, **env)
    check(refused.returncode == code and said in refused.stderr and not os.path.exists("refused.iso"),
          f"{options} not refused with {said!r} ({refused.returncode}):\n{refused.stderr}")

commands = open("commands").read()
check("osslsigncode sign -pkcs11module" in commands and PIN not in commands, "the PIN on a command line:\n" + commands)
finish()
