# SPDX-License-Identifier: MIT
"""chronexa's values across the borders a program crosses.

One submodule per border, each importing its third-party library only when
one of its functions runs:

- ``chronexa_adapters.pickle``: ``register()`` makes every class picklable
  (and so copyable); loading needs only ``chronexa``.
- ``chronexa_adapters.json``: ``default`` for the standard library's json
  and orjson, ``decode`` to read a value back.
- ``chronexa_adapters.msgspec``: ``enc_hook`` and ``dec_hook``.
- ``chronexa_adapters.pydantic``: ``Annotated`` field types.
- ``chronexa_adapters.sqlite``: ``register()`` for the standard library's
  sqlite3, storing forms that sort in time order.
- ``chronexa_adapters.psycopg``: ``register()`` for psycopg 3 and PostgreSQL.
"""

__all__: list[str] = []
