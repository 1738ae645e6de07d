#include <stdio.h>

#define N 100

/* 排序（降序） */
void order(double a[], int len)
{
    int p, q;
    double t;
    for (p = 0; p < len - 1; p++) {
        for (q = 0; q < len - 1 - p; q++) {
            if (a[q] < a[q + 1]) {
                t = a[q];
                a[q] = a[q + 1];
                a[q + 1] = t;
            }
        }
    }
}

double mean(double a[], int len)
{
    double total = 0;
    int k;
    for (k = 0; k < len; k++) {
        total = total + a[k];
    }
    if (len == 0) {
        return 0;
    }
    return total / len;
}

int input(double a[], int max)
{
    int m = 0;
    double x;
    while (m < max && scanf("%lf", &x) == 1) {
        if (x < 0 || x > 100) {
            printf("输入有误 %.1f\n", x);
            continue;
        }
        a[m] = x;
        m++;
    }
    return m;
}

void min_max(double a[], int len, double *mn, double *mx)
{
    int k;
    *mn = a[0];
    *mx = a[0];
    for (k = 1; k < len; k++) {
        if (a[k] < *mn) {
            *mn = a[k];
        }
        if (a[k] > *mx) {
            *mx = a[k];
        }
    }
}

int pass_count(double a[], int len)
{
    int k, c = 0;
    for (k = 0; k < len; k++) {
        if (a[k] >= 60) {
            c++;
        }
    }
    return c;
}

int main()
{
    double a[N];
    double mn, mx;
    int len, k;

    printf("输入分数：\n");
    len = input(a, N);
    if (len == 0) {
        printf("无数据\n");
        return 0;
    }
    min_max(a, len, &mn, &mx);
    order(a, len);
    printf("共%d人\n", len);
    printf("平均：%.2f\n", mean(a, len));
    printf("最高：%.1f 最低：%.1f\n", mx, mn);
    printf("及格：%d\n", pass_count(a, len));
    for (k = 0; k < len; k++) {
        printf("%d: %.1f\n", k + 1, a[k]);
    }
    return 0;
}
