"""Past one machine: rdbxml.metrics mapped over report files on a Dask
cluster of worker processes, the results written with Index.put, give the
database `rdbxml index` builds from the same files (as the README shows)."""
import os
import subprocess

import pytest

import rdbxml
from conftest import TOOL, index_contents, nightly_runs

distributed = pytest.importorskip("distributed")


def test_metrics_on_a_dask_cluster_give_the_index_of_rdbxml_index(tmp_path):
    files = nightly_runs(tmp_path, 20)
    runs = os.path.dirname(files[0])
    expected = str(tmp_path / "tool.db")
    subprocess.run([TOOL, "index", "-q", expected, runs], capture_output=True)

    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster) as client:
        futures = client.map(rdbxml.metrics, files)
        distributed.wait(futures)
        index = rdbxml.Index(tmp_path / "dask.db")
        for file, future in zip(files, futures):
            result = future.exception() or future.result()
            index.put(file, result, label=os.path.relpath(file, runs))

    contents = index_contents(index.path)
    assert contents == index_contents(expected)
    assert [dict(r)["status"] for r in contents["runs"]].count("failed") == 2
    assert len(contents["runs"]) == 20 and len(contents["gauges"]) == 18 * 3
