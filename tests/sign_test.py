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
import struct
import sys
import threading
from http.server import BaseHTTPRequestHandler, HTTPServer

from PIL import Image
from tooltest import check, finish, run

top, build, program, work = sys.argv[1:5]
shutil.rmtree(work, ignore_errors=True)
folder, recorder, contents = (os.path.join(work, name) for name in ("disc", "bin", "contents"))
for made in (folder, recorder, f"{work}/tokens"):
    os.makedirs(made)
shutil.copy(program, f"{folder}/setup.exe")
Image.new("P", (40, 30), 3).save(f"{folder}/splash.bmp")
PIN, softhsm = "pin-4711", "/usr/lib/softhsm/libsofthsm2.so"
# The tokens' folder, for this test's programs and make-disc's.
open(f"{work}/softhsm2.conf", "w").write(f"directories.tokendir = {work}/tokens\n")
os.environ["SOFTHSM2_CONF"] = f"{work}/softhsm2.conf"
token = ("pkcs11-tool", "--module", softhsm, "--login", "--pin", PIN, "--token-label")
for label in ("Disc", "Spare"):
    run("softhsm2-util", "--init-token", "--free", "--label", label, "--pin", PIN, "--so-pin", "so-" + PIN)
for label, key, kind in (("Disc", "rsa", "rsa:2048"), ("Disc", "ec", "EC:prime256v1"), ("Spare", "rsa", "rsa:2048")):
    run(*token, label, "--keypairgen", "--key-type", kind, "--label", key, "--id", "01" if key == "rsa" else "02", "--sensitive")

# A test root, an intermediate authority under it, and the certificates they
# issue: for the keys in the token, for time stamps, and in PKCS#12 files, one
# good, two Windows would refuse (no code-signing usage, expired).
cnf = f"{work}/x509.cnf"
open(cnf, "w").write("[req]\ndistinguished_name=dn\n[dn]\n[ca]\nbasicConstraints=critical,CA:true\n"
                     "keyUsage=critical,keyCertSign\n[code]\nextendedKeyUsage=codeSigning\n"
                     "[time]\nextendedKeyUsage=critical,timeStamping\n[none]\nkeyUsage=digitalSignature\n"
                     "[tsa]\ndefault_tsa=t\n[t]\nsigner_digest=sha256\ndefault_policy=1.2.3.4\ndigests=sha256\n"
                     f"serial={work}/serial\n")
open(f"{work}/serial", "w").write("01\n")
run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-config", cnf, "-extensions", "ca", "-subj", "/CN=Test Root",
    "-keyout", f"{work}/root.key", "-out", f"{work}/root.pem")
in_token = "pkcs11:token=Disc;object="
for serial, (name, subject, usage, issuer, days) in enumerate((
        ("inter", "Test Intermediate", "ca", "root", "30"), ("rsa", "Zoë Spiele GmbH", "code", "inter", "30"),
        ("ec", "Zoë Spiele EC", "code", "inter", "30"), ("tsa", "Test TSA", "time", "root", "30"),
        ("code", "Zoë Spiele PFX", "code", "root", "30"), ("none", "No Usage", "none", "root", "30"),
        ("old", "Expired", "code", "root", "-1")), 2):
    key = ["-engine", "pkcs11", "-keyform", "engine", "-key", f"{in_token}{name};pin-value={PIN}"] if name in ("rsa", "ec") \
        else ["-newkey", "rsa:2048", "-nodes", "-keyout", f"{work}/{name}.key"]
    run("openssl", "req", "-new", "-utf8", "-config", cnf, "-subj", "/CN=" + subject, *key, "-out", f"{work}/{name}.csr")
    run("openssl", "x509", "-req", "-in", f"{work}/{name}.csr", "-CA", f"{work}/{issuer}.pem", "-CAkey", f"{work}/{issuer}.key",
        "-set_serial", str(serial), "-days", days, "-extfile", cnf, "-extensions", usage, "-out", f"{work}/{name}.pem")
    run("openssl", "pkcs12", "-export", "-inkey", f"{work}/{name}.key", "-in", f"{work}/{name}.pem", "-passout", "pass:" + PIN,
        "-out", f"{work}/{name}.pfx")
for name in ("rsa", "root"):
    run("openssl", "x509", "-in", f"{work}/{name}.pem", "-outform", "der", "-out", f"{work}/{name}.der")
run(*token, "Disc", "--write-object", f"{work}/rsa.der", "--type", "cert", "--label", "rsa", "--id", "01")
open(f"{work}/cas.pem", "w").write(open(f"{work}/inter.pem").read() + open(f"{work}/root.pem").read())
open(f"{work}/pin", "w").write(PIN + "\n")


# A time-stamping authority on this machine: openssl ts answers each request.
class Authority(BaseHTTPRequestHandler):
    def do_POST(self):
        open(f"{work}/query.tsq", "wb").write(self.rfile.read(int(self.headers["Content-Length"])))
        run("openssl", "ts", "-reply", "-config", cnf, "-queryfile", f"{work}/query.tsq", "-inkey", f"{work}/tsa.key",
            "-signer", f"{work}/tsa.pem", "-out", f"{work}/reply.tsr")
        reply = open(f"{work}/reply.tsr", "rb").read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass


authority = HTTPServer(("127.0.0.1", 0), Authority)
threading.Thread(target=authority.serve_forever, daemon=True).start()
# Stand-ins in front of the programs that meet the PIN record their command lines.
for name in ("osslsigncode", "openssl", "p11tool"):
    open(f"{recorder}/{name}", "w").write(f'#!/bin/sh\necho "$0 $*" >>{work}/commands\nexec {shutil.which(name)} "$@"\n')
    os.chmod(f"{recorder}/{name}", 0o755)


def make_disc(image, *options, **env):
    return run(f"{top}/tools/make-disc", folder, image, "--launcher", f"{build}/i686/autorun.exe", *options,
               **dict(dict(AUTORUN_SIGN_PASSWORD=PIN, PATH=f"{recorder}:{os.environ['PATH']}"), **env))


test_root = "its chain ends at Test Root, a root this Windows does not trust: a test certificate"
for name, options, same, chain in (
        ("RSA in the token, its certificate there", ["--sign", in_token + "rsa", "--sign-cert", f"{work}/cas.pem"], True,
         test_root),
        ("ECDSA in the token, its certificate in a file", ["--sign", in_token + "ec;type=private", "--sign-cert",
         f"{work}/ec.pem"], False, "its chain ends at Zoë Spiele EC, whose issuer, Test Intermediate, is neither"),
        ("a PKCS#12 file", ["--sign", f"{work}/code.pfx"], True, "whose issuer, Test Root, is neither in the signature"),
        ("time-stamped, the PIN from a file", ["--sign", in_token + "rsa", "--sign-cert", f"{work}/cas.pem", "--timestamp",
         f"http://127.0.0.1:{authority.server_port}", "--sign-password-file", f"{work}/pin"], False, test_root)):
    # A PIN file is taken before the environment's.
    wrong = {"AUTORUN_SIGN_PASSWORD": "wrong"} if "--sign-password-file" in options else {}
    made = [make_disc(f"{work}/{n}.iso", *options, SOURCE_DATE_EPOCH="1700000000", **wrong) for n in (1, 2)]
    images = [open(f"{work}/{n}.iso", "rb").read() if m.returncode == 0 else b"" for n, m in zip((1, 2), made)]
    check(all(m.returncode == 0 and chain in m.stdout for m in made), f"{name}: {made[0].stdout}{made[0].stderr}")
    check(images[0] and (images[0] == images[1]) == same, f"{name}: the same image twice is {not same}")
    shutil.rmtree(contents, ignore_errors=True)
    run("xorriso", "-osirrox", "on", "-indev", f"{work}/1.iso", "-extract", "/", contents)
    verified = run("osslsigncode", "verify", "-CAfile", f"{work}/cas.pem", "-TSA-CAfile", f"{work}/root.pem",
                   "-in", f"{contents}/autorun.exe")
    check(verified.returncode == 0 and ("--timestamp" in options) == ("Timestamp Server Signature verification: ok"
          in verified.stdout), f"{name}: the signature does not verify:\n{verified.stdout}{verified.stderr}")

# The last image's chain, once this Windows holds the test root in the
# user's Root store, where the registry keeps its certificates.
der = open(f"{work}/root.der", "rb").read()
stored = "HKCU\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\" + hashlib.sha1(der).hexdigest().upper()
run("wine", "reg", "add", stored, "/v", "Blob", "/t", "REG_BINARY", "/d", (struct.pack("<III", 32, 1, len(der)) + der).hex(), "/f")
try:
    said = run("wine", f"{build}/{os.environ['AUTORUN_ARCH']}/autorun-check.exe", "Z:" + contents).stdout
finally:
    run("wine", "reg", "delete", stored, "/f")
check("autorun.exe: its chain ends at Test Root, a root this Windows trusts" in said and "not by a publisher" not in said,
      "the trusted root:\n" + said)

# Each failure named, before any image is written.
for name, options, env, code, said in (
        ("a wrong PIN", ["--sign", in_token + "rsa"], {"AUTORUN_SIGN_PASSWORD": "0000"}, 3,
         "the token refused the PIN: a wrong PIN"),
        ("a certificate that is not the key's", ["--sign", in_token + "ec", "--sign-cert", f"{work}/rsa.pem"], {}, 3,
         "the certificate of CN=Zoë Spiele GmbH is not the key's at pkcs11:token=Disc;object=ec"),
        ("two tokens", ["--sign", "pkcs11:object=rsa", "--sign-cert", f"{work}/rsa.pem"], {}, 3, "matches more than one token"),
        ("no certificate in the token", ["--sign", in_token + "ec"], {}, 3,
         "no certificate at pkcs11:token=Disc;object=ec;type=cert"),
        ("a chain that does not verify", ["--sign", in_token + "rsa", "--sign-cert", f"{work}/root.pem"], {}, 3,
         "does not lead from CN=Zoë Spiele GmbH up to its last certificate"),
        ("no time-stamp authority", ["--sign", in_token + "rsa", "--timestamp", "http://127.0.0.1:1"], {}, 3,
         "the time-stamp authority at http://127.0.0.1:1 did not answer"),
        ("the PIN in the URI", ["--sign", f"{in_token}rsa;pin-value={PIN}"], {}, 2, "the URI holds the PIN"),
        ("no module", ["--sign", in_token + "rsa", "--pkcs11-module", f"{work}/none.so"], {}, 2, "none.so is not a file"),
        ("a wrong password", ["--sign", f"{work}/code.pfx"], {"AUTORUN_SIGN_PASSWORD": "wrong"}, 2, "a wrong password"),
        ("no code-signing usage", ["--sign", f"{work}/none.pfx"], {}, 2, "is not for code signing"),
        ("expired", ["--sign", f"{work}/old.pfx"], {}, 2, "expired on")):
    refused = make_disc(f"{work}/refused.iso", *options, **env)
    check(refused.returncode == code and said in refused.stderr and not os.path.exists(f"{work}/refused.iso"),
          f"{name}: not refused with {said!r} ({refused.returncode}):\n{refused.stderr}")

commands = open(f"{work}/commands").read()
check("osslsigncode sign -pkcs11module" in commands and PIN not in commands, "the PIN on a command line:\n" + commands)
finish()
