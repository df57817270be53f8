"""What the tests of the documents share: the failures found so far and the
fenced code blocks of a document."""
import re

FAILURES = []


def check(condition, what):
    """Notes `what` as a failure unless `condition` holds."""
    if not condition:
        FAILURES.append(what)


def code_blocks(path, language):
    """The code blocks of a Markdown file fenced with ```language, in order."""
    with open(path) as f:
        return re.findall(r"^```" + language + r"\n(.*?)^```", f.read(), re.M | re.S)
