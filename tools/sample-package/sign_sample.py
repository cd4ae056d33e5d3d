#!/usr/bin/env python3
"""Signs the sample package the way the vendor signs its packages, with test certificates made on this machine.

  sign_sample.py keys FOLDER [--openssl PATH]
      Makes two self-signed code-signing certificates and their keys in FOLDER (never kept in the repository):
      tarvix.pem/.key (organisation "Tarvix", the vendor) and other.pem/.key (another publisher), and
      tarvix-key.sha256, the SHA-256 of the vendor certificate's public key (SubjectPublicKeyInfo) in hex.
  sign_sample.py sign PROGRAM.exe FOLDER [--osslsigncode PATH]
      Keeps the linked program as PROGRAM-unsigned.exe, signs a copy as the other publisher (PROGRAM-other.exe)
      and signs PROGRAM.exe itself as the vendor. On failure PROGRAM.exe is removed, so the next build links
      and signs it again instead of keeping an unsigned one.
"""
import argparse
import base64
import hashlib
import os
import shutil
import subprocess
import sys

SUBJECTS = {"tarvix": "/CN=Tarvix Test Code Signing/O=Tarvix", "other": "/CN=Someone Else/O=Someone Else Ltd"}


def make_keys(folder, openssl):
    os.makedirs(folder, exist_ok=True)
    for name, subject in SUBJECTS.items():
        subprocess.run([openssl, "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "3650", "-subj", subject,
                        "-addext", "keyUsage=critical,digitalSignature", "-addext", "extendedKeyUsage=codeSigning",
                        "-keyout", os.path.join(folder, name + ".key"), "-out", os.path.join(folder, name + ".pem")],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    public = subprocess.run([openssl, "x509", "-in", os.path.join(folder, "tarvix.pem"), "-pubkey", "-noout"],
                            check=True, capture_output=True, text=True).stdout
    der = base64.b64decode("".join(line for line in public.splitlines() if not line.startswith("-----")))
    with open(os.path.join(folder, "tarvix-key.sha256"), "w") as f:
        f.write(hashlib.sha256(der).hexdigest() + "\n")


def sign(osslsigncode, folder, name, source, target):
    if os.path.exists(target):
        os.remove(target)
    subprocess.run([osslsigncode, "sign", "-certs", os.path.join(folder, name + ".pem"),
                    "-key", os.path.join(folder, name + ".key"), "-n", "Lumbra", "-h", "sha256",
                    "-in", source, "-out", target], check=True, stdout=subprocess.DEVNULL)


def sign_program(program, folder, osslsigncode):
    stem = os.path.splitext(program)[0]
    unsigned, signed = stem + "-unsigned.exe", program + ".signing"
    try:
        shutil.copy2(program, unsigned)
        sign(osslsigncode, folder, "other", unsigned, stem + "-other.exe")
        sign(osslsigncode, folder, "tarvix", unsigned, signed)
        for path in (stem + "-other.exe", signed):
            shutil.copymode(unsigned, path)
        os.replace(signed, program)
    except (OSError, subprocess.CalledProcessError):
        for path in (program, signed):
            if os.path.exists(path):
                os.remove(path)
        raise


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("action", choices=("keys", "sign"))
    parser.add_argument("paths", nargs="+")
    parser.add_argument("--openssl", default="openssl")
    parser.add_argument("--osslsigncode", default="osslsigncode")
    args = parser.parse_args()
    if args.action == "keys":
        make_keys(args.paths[0], args.openssl)
    else:
        sign_program(args.paths[0], args.paths[1], args.osslsigncode)
    return 0


if __name__ == "__main__":
    sys.exit(main())
