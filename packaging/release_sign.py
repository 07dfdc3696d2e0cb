"""Signs the staged exe of a release with osslsigncode when the environment
gives a key; without one it leaves the exe as it is, and the release unsigned.

  TARNWELL_SIGN_KEY and TARNWELL_SIGN_CERT   a private key and its certificate
                                             chain, PEM files
  TARNWELL_SIGN_PKCS12                       or both in one PKCS#12 file
  TARNWELL_SIGN_PASSWORD                     the password of the key or file
  TARNWELL_SIGN_TIMESTAMP                    an RFC 3161 timestamp server, optional

The signature is SHA-256 and dated SOURCE_DATE_EPOCH, so that signing the same
exe with the same key gives the same bytes; a timestamp never does.

usage: release_sign.py EXE
"""
import os
import shutil
import subprocess
import sys
import tempfile


def main(exe):
    given = {name: os.environ.get("TARNWELL_SIGN_" + name) for name in
             ("KEY", "CERT", "PKCS12", "PASSWORD", "TIMESTAMP")}
    if given["PKCS12"] and not (given["KEY"] or given["CERT"]):
        key = ["-pkcs12", given["PKCS12"]]
    elif given["KEY"] and given["CERT"] and not given["PKCS12"]:
        key = ["-certs", given["CERT"], "-key", given["KEY"]]
    elif any(given.values()):
        sys.exit("release_sign.py: give TARNWELL_SIGN_KEY and TARNWELL_SIGN_CERT, or "
                 "TARNWELL_SIGN_PKCS12")
    else:
        return
    command = ["osslsigncode", "sign"] + key + ["-h", "sha256",
                                                "-time", os.environ["SOURCE_DATE_EPOCH"]]
    if given["TIMESTAMP"]:
        command += ["-ts", given["TIMESTAMP"]]
    signed = exe + ".signed"
    with tempfile.TemporaryDirectory() as private:  # made for its owner alone
        if given["PASSWORD"] is not None:  # in a file: an argument shows in the process list
            with open(os.path.join(private, "password"), "w") as f:
                f.write(given["PASSWORD"])
            command += ["-readpass", f.name]
        subprocess.run(command + ["-in", exe, "-out", signed], check=True,
                       stdout=subprocess.DEVNULL)
    shutil.copymode(exe, signed)  # the archive keeps the exe's mode
    os.replace(signed, exe)


if __name__ == "__main__":
    main(*sys.argv[1:])
