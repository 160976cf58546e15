import os
import pathlib

import pytest

# The golden cases of tav-batch, which the module must give the same tables as.
CASES = pathlib.Path(os.environ.get("TAV_BATCH_CASES", pathlib.Path(__file__).parent.parent / "batch"))


@pytest.fixture
def workdir(tmp_path, monkeypatch):
    """A folder of its own as the working directory: the program writes beside its input."""
    monkeypatch.chdir(tmp_path)
    return tmp_path
