"""The index of many runs from Python (bench/README.md): Index.add of a
directory of reports, or rdbxml.metrics mapped over them on a local Dask
cluster of two worker processes and written with Index.put.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_many_runs.py add|dask DIR DB
"""
import os, sys, time
import rdbxml
def main():
    mode, runs, db = sys.argv[1:4]
    t = time.perf_counter()
    if mode == "add":
        rdbxml.Index(db).add(runs, jobs=2)
    else:
        import distributed
        with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as c, distributed.Client(c) as client:
            t0 = time.perf_counter()
            files = sorted(os.path.join(runs, f) for f in os.listdir(runs))
            futures = client.map(rdbxml.metrics, files)
            index = rdbxml.Index(db)
            for f, fut in zip(files, futures):
                index.put(f, fut.exception() or fut.result(), label=os.path.relpath(f, runs))
            print("dask without cluster start: %.2f s" % (time.perf_counter() - t0))
    print("%s: %.2f s" % (mode, time.perf_counter() - t))

if __name__ == "__main__":
    main()
