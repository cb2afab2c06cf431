# SPDX-License-Identifier: MIT
"""The column libraries' known faults beside chronexa_columns' answers, one
line each: python3 bench/peer_faults.py (needs pyarrow, polars, pandas, DuckDB)."""

import duckdb
import pandas as pd
import polars as pl
import pyarrow as pa
import pyarrow.compute as pc

import chronexa_columns as cc


def tryit(f):
    """The value, or the exception's type and message."""
    try:
        return repr(f())
    except Exception as e:
        return f"{type(e).__name__}: {str(e)[:90]}"


def polars_ns(s):
    return pl.Series([s]).str.to_datetime("%+", time_unit="ns").to_list()[0]


def duckdb_tz(s):
    return duckdb.sql(f"select '{s}'::timestamptz").fetchall()[0][0]


cases = {
    "polars 2300 at ns": ("2300-01-01T00:00:00Z", polars_ns),
    "polars :60": ("2024-01-01T00:00:60Z", polars_ns),
    "pandas INT64_MIN": ("1677-09-21T00:12:43.145224192Z", lambda s: pd.to_datetime([s], format="ISO8601", utc=True)[0]),
    "pyarrow INT64_MIN": ("1677-09-21T00:12:43.145224192Z", lambda s: pc.cast(pa.array([s]), pa.timestamp("ns", "UTC")).cast(pa.int64())[0].as_py()),
    "duckdb +24:00": ("2024-01-01T00:00:00+24:00", duckdb_tz),
    "duckdb +99:99": ("2024-01-01T00:00:00+99:99", duckdb_tz),
    "duckdb 24:00:00": ("2024-01-01T24:00:00Z", duckdb_tz),
    "duckdb ns": ("2024-01-01T00:00:00.123456789Z", lambda s: duckdb.sql(f"select epoch_ns('{s}'::timestamptz)").fetchall()[0][0]),
}

for name, (s, f) in cases.items():
    ours = tryit(lambda: pa.array(cc.parse_offset_date_times([s])).cast(pa.int64())[0].as_py())
    print(f"{name} | {s} | peer: {tryit(lambda: f(s))} | chronexa: {ours}")
