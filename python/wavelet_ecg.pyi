"""The wavelet workbench's exact analysis of signal-averaged XYZ records."""

import os
from typing import Any, Dict, Iterable, Iterator, List, Literal, Optional, Sequence, Union

import numpy as np
import numpy.typing as npt

__version__: str

StrPath = Union[str, "os.PathLike[str]"]
Lead = Union[int, Literal["X", "Y", "Z", "M", "x", "y", "z", "m"]]

#: The eight basic scale parameters, scale 1 first.
SCALES: tuple[float, ...]
#: The batch table's column titles: the 11 header columns, then Analysis.columns.
BATCH_COLUMNS: list[str]
#: The late-potential table's column titles (LatePotentials.columns).
LATE_POTENTIAL_COLUMNS: list[str]


class Record:
    """A signal-averaged record as the program loads it."""
    @property
    def name(self) -> str: ...
    @property
    def path(self) -> str: ...
    @property
    def header(self) -> dict[str, str]:
        """The header texts by batch column title, in the table's order."""
    @property
    def leads(self) -> npt.NDArray[np.int32]:
        """Samples in record units, shape (800, 3) (X, Y, Z), read-only."""
    @property
    def unit_uv(self) -> Optional[float]:
        """Microvolts per unit as the record's tag states it, or None."""
    @property
    def qrs_onset(self) -> int: ...
    @property
    def qrs_offset(self) -> int: ...
    @property
    def averaging_count(self) -> int: ...
    def to_bytes(self) -> bytes: ...


def read_record(path: StrPath) -> Record:
    """Raises FileNotFoundError, PermissionError, IsADirectoryError or ValueError."""
def record_from_bytes(data: bytes, name: str = "") -> Record: ...


class Analysis:
    """The basic analysis of a record over the eight scales."""
    columns: list[str]
    @property
    def cells(self) -> list[str]:
        """The 146 result cells exactly as wavelet-batch writes them."""
    @property
    def judge1(self) -> int: ...
    @property
    def judge2(self) -> int: ...
    @property
    def criteria(self) -> dict[str, int]:
        """Keys "area", "count", "last_peak", "fqrs"."""
    @property
    def thresholds(self) -> dict[str, float]: ...
    @property
    def windows_clamped(self) -> bool: ...
    # Per lead (X, Y, Z, M) and scale: shape (4, 8).
    @property
    def area(self) -> npt.NDArray[np.float64]: ...
    @property
    def peak_count(self) -> npt.NDArray[np.int32]: ...
    @property
    def fqrs(self) -> npt.NDArray[np.int32]: ...
    @property
    def last_peak(self) -> npt.NDArray[np.int32]: ...
    @property
    def rise(self) -> npt.NDArray[np.int32]: ...
    @property
    def fall(self) -> npt.NDArray[np.int32]: ...
    # Per lead: shape (4,).
    @property
    def scale_area(self) -> npt.NDArray[np.float64]: ...
    @property
    def combined_peak_count(self) -> npt.NDArray[np.int32]: ...
    @property
    def combined_first_peak(self) -> npt.NDArray[np.int32]: ...
    @property
    def combined_last_peak(self) -> npt.NDArray[np.int32]: ...


def analyse(record: Record) -> Analysis: ...
def transform(record: Record, lead: Lead, scale: float,
              magnitude: bool = False) -> Union[npt.NDArray[np.complex128], npt.NDArray[np.float64]]:
    """400 positions; position p is sample p + 260."""


class LatePotentials:
    """None marks a figure of a filtered QRS that was not found."""
    columns: list[str]
    @property
    def cells(self) -> list[str]:
        """The row exactly as wavelet-batch --late-potentials writes it."""
    @property
    def unit_uv(self) -> float: ...
    @property
    def noise_uv(self) -> float: ...
    @property
    def noise_sd_uv(self) -> float: ...
    @property
    def threshold_uv(self) -> float: ...
    @property
    def qrs_onset(self) -> Optional[int]: ...
    @property
    def qrs_offset(self) -> Optional[int]: ...
    @property
    def onset_guarded(self) -> Optional[bool]: ...
    @property
    def fqrs_ms(self) -> Optional[int]: ...
    @property
    def rms40_uv(self) -> Optional[float]: ...
    @property
    def las40_ms(self) -> Optional[int]: ...
    @property
    def fqrs_abnormal(self) -> Optional[bool]: ...
    @property
    def rms40_abnormal(self) -> Optional[bool]: ...
    @property
    def las40_abnormal(self) -> Optional[bool]: ...
    @property
    def late_potentials(self) -> Optional[bool]: ...
    @property
    def header_onset(self) -> Optional[int]: ...
    @property
    def header_offset(self) -> Optional[int]: ...
    @property
    def vm(self) -> npt.NDArray[np.float64]:
        """The filtered vector magnitude in microvolts, shape (800,)."""


def late_potentials(record_or_leads: Union[Record, npt.NDArray[Union[np.int16, np.int32, np.float64]]],
                    unit_uv: Optional[float] = None) -> LatePotentials: ...


class Recording:
    @property
    def path(self) -> str: ...
    @property
    def signals(self) -> npt.NDArray[np.float32]:
        """X, Y, Z in microvolts at 1000 samples/s, shape (n, 3)."""
    @property
    def fs(self) -> float: ...
    @property
    def source_fs(self) -> float: ...
    @property
    def lead_source(self) -> Literal["frank", "kors"]: ...
    @property
    def labels(self) -> tuple[str, str, str]: ...
    @property
    def patient(self) -> dict[str, Union[str, int, None]]: ...
    @property
    def warnings(self) -> list[str]: ...


def read_recording(path: StrPath, leads: Optional[Sequence[str]] = None) -> Recording: ...


class AveragedBeat:
    columns: list[str]
    @property
    def leads(self) -> npt.NDArray[np.float64]:
        """The averaged beat in microvolts, shape (800, 3)."""
    @property
    def summary(self) -> dict[str, Union[str, int, float, bool, None]]: ...
    @property
    def cells(self) -> list[str]:
        """The averaging.csv row exactly as wavelet-average writes it."""
    @property
    def warnings(self) -> list[str]: ...
    @property
    def unit_uv(self) -> float: ...
    def to_record(self, unit_uv: Optional[float] = None) -> bytes: ...


def average(recording: Recording, beats: Optional[int] = None, noise_target: Optional[float] = None,
            onset_at: int = 310, unit_uv: float = 0.1) -> AveragedBeat: ...


class BatchRow:
    name: str
    path: str
    cells: list[str]
    late_potentials: Optional[list[str]]
    error: Optional[str]
    windows_clamped: bool


class BatchRun(Iterator[BatchRow]):
    def __iter__(self) -> "BatchRun": ...
    def __next__(self) -> BatchRow: ...


def batch(paths: Union[StrPath, Iterable[StrPath]], jobs: Optional[int] = None, late_potentials: bool = True,
          unit_uv: float = 0.1) -> BatchRun: ...
def cohort(paths: Iterable[StrPath], labels: StrPath, positive: str, group_column: str = "group",
           jobs: Optional[int] = None, unit_uv: float = 0.1) -> Dict[str, List[Any]]: ...
