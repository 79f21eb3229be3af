#!/usr/bin/env python3
"""A burst of talk messages between two chat copies in network namespaces of
their own (made by the test harness of tests/net): how many of N sent are
delivered, and how long it takes. Prints the figures; needs root."""
import argparse
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "net"))
import chatnet  # noqa: E402


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--chatnode", required=True)
    ap.add_argument("--count", type=int, default=2000)
    args = ap.parse_args()
    count = max(1, min(args.count, 20000))
    chatnet.enter_private_namespaces()
    chatnet.check_isolated()
    net = chatnet.Network(2)
    nodes = []
    try:
        nodes = chatnet.start_all(os.path.abspath(args.chatnode), net)
        a, b = nodes
        mark = len(b.events)
        t0 = time.monotonic()
        a.proc.stdin.write("".join("say burst %d\n" % i for i in range(count)))
        a.proc.stdin.flush()
        deadline = t0 + 30
        last = t0
        got = 0
        # Delivery ends with the last message, or when nothing came for 2 s.
        while time.monotonic() < deadline and time.monotonic() - last < 2.0:
            now = len([e for e in b.events[mark:] if e["event"] == "message"
                       and e["body"].startswith("burst ")])
            if now != got:
                got, last = now, time.monotonic()
            if got >= count:
                break
            time.sleep(0.01)
        span = max(last - t0, 1e-6)
        print("burst: sent %d, delivered %d (%.1f%%) in %.3f s, %.0f messages/s"
              % (count, got, 100.0 * got / count, span, got / span), flush=True)
    finally:
        for node in nodes:
            node.stop()
        net.close()


if __name__ == "__main__":
    main()
